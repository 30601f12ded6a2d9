#!/bin/sh
# A folder that holds names equal but for their case, as a folder that tells
# case apart can (a Linux folder, which Wine reaches through drive Z:, some
# shares): a folder "Notes.txt" beside a file "notes.txt", and a file
# "Report.doc" beside a read-only "report.doc". Wine itself will not make the
# second name of such a pair, so the test of the folder listings finds them
# made here.
#
#   case-twins.sh make|remove FOLDER
set -e
folder=${2:?folder}
case "$1" in
  make)
    rm -rf "$folder"
    mkdir -p "$folder/Notes.txt"
    printf 'note' > "$folder/notes.txt"
    printf 'ten bytes!' > "$folder/Report.doc"
    printf 'old' > "$folder/report.doc"
    # Wine shows a file without write permission as read-only.
    chmod a-w "$folder/report.doc"
    ;;
  remove)
    rm -rf "$folder"
    ;;
  *) echo "usage: $0 make|remove FOLDER" >&2; exit 2 ;;
esac
