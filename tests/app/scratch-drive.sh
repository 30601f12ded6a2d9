#!/bin/sh
# Gives the test prefix a drive D: on a scratch folder, or takes it away:
# Wine maps each drive letter through a link in the prefix's dosdevices.
#
#   scratch-drive.sh create|remove WINDOWS_BUILD
set -e
here=$(cd "$(dirname "$0")" && pwd)
ORVANE_WINE_BUILD=${2:?a Windows build folder}
. "$here/../../scripts/wine-env.sh"
link="$WINEPREFIX/dosdevices/d:"
target="$ORVANE_WINE_BUILD/scratch-drive-d"
case "$1" in
  create)
    # Never take over a drive D: that is not the tests' own.
    if [ -e "$link" ] || [ -L "$link" ]; then
      [ "$(readlink "$link")" = "$target" ] || { echo "drive D: is in use: $link" >&2; exit 1; }
    fi
    mkdir -p "$target"
    ln -sfn "$target" "$link"
    ;;
  remove)
    if [ "$(readlink "$link" 2>/dev/null)" = "$target" ]; then rm -f "$link"; fi
    rm -rf "$target"
    ;;
  *) echo "usage: $0 create|remove WINDOWS_BUILD" >&2; exit 2 ;;
esac
