#!/bin/sh
# A volume of 2 MB for the test of a disk that runs full while a plain file
# is cleared: a tmpfs mounted on a folder of the build, which Wine reaches
# through drive Z:. Mounting needs root; without it the folder stays an
# ordinary one without the "mounted" mark, and the test says it is skipped.
#
#   small-volume.sh mount|unmount FOLDER
set -e
folder=${2:?folder}
case "$1" in
  mount)
    mkdir -p "$folder"
    if mountpoint -q "$folder"; then umount "$folder"; fi
    if mount -t tmpfs -o size=2m,mode=0777 orvane-small-volume "$folder" 2>/dev/null; then
      : > "$folder/mounted"
    else
      echo "small-volume.sh: no tmpfs could be mounted on $folder (this needs root)" >&2
    fi
    ;;
  unmount)
    if mountpoint -q "$folder"; then umount "$folder"; fi
    rm -rf "$folder"
    ;;
  *) echo "usage: $0 mount|unmount FOLDER" >&2; exit 2 ;;
esac
