#!/bin/sh
# Runs one Windows program under Wine: CTest's emulator for the Windows build.
# Everything runs on one CPU: a wineserver round trip costs about 7 times more
# when the server and its clients sit on different cores.
set -e
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "$ORVANE_BUILD_DIR" ]; then
  echo "wine-run.sh: ORVANE_BUILD_DIR is not set (start the tests with scripts/test.sh)" >&2
  exit 2
fi
. "$here/wine-env.sh"
exec taskset -c 0 wine "$@"
