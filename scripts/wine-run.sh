#!/bin/sh
# Runs one Windows program under Wine: CTest's emulator for the Windows
# builds, which passes its build folder first.
#
#   wine-run.sh [--build WINDOWS_BUILD] PROGRAM [ARGS...]
#
# Without --build, the folder is $ORVANE_WINE_BUILD (set by
# `eval "$(scripts/wine-session.sh start WINDOWS_BUILD)"`), or else the
# nearest folder at or above the current one that holds a CMake cache.
# Everything runs on one CPU: a wineserver round trip costs about 7 times
# more when the server and its clients sit on different cores.
set -e
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = "--build" ]; then
  ORVANE_WINE_BUILD=$(cd "$2" && pwd)
  shift 2
fi
if [ -z "${ORVANE_WINE_BUILD:-}" ]; then
  dir=$(pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    echo "wine-run.sh: which build? Give --build WINDOWS_BUILD, set ORVANE_WINE_BUILD, or run it inside a Windows build folder" >&2
    exit 2
  fi
  ORVANE_WINE_BUILD=$dir
fi
. "$here/wine-env.sh"
if [ -z "$ORVANE_WINE_UNDER_EMULATOR" ]; then
  exec taskset -c "$ORVANE_WINE_CPU" wine "$@"
fi

# Under the emulator the 32-bit loader starts the program itself, so that a
# program the emulator ends has that exit status (started through the
# 64-bit loader, which hands it on to start.exe, it would end with 0). A
# crash there can also end a test program with 0 before its tests are
# done: Google Test removes the file it is given here only when it finishes.
unfinished=$(mktemp -u "$ORVANE_WINE_BUILD/unfinished.XXXXXX")
export TEST_PREMATURE_EXIT_FILE="Z:$(printf '%s' "$unfinished" | tr '/' '\\')"
# timeout leads a process group of its own, where the programs this one
# starts belong too: what it leaves running (a program under test it did
# not close) ends with it, instead of holding the test's output open.
status=0
taskset -c "$ORVANE_WINE_CPU" timeout -k 10 "$ORVANE_WINE_TIME_LIMIT" /usr/lib/wine/wine "$@" <&0 &
group=$!
wait "$group" || status=$?
kill -KILL "-$group" 2>/dev/null || true  # (dash's kill takes no "--")
if [ "$status" -eq 124 ]; then
  echo "wine-run.sh: $1 did not end within $ORVANE_WINE_TIME_LIMIT s; ended" >&2
fi
if [ -e "$unfinished" ]; then
  rm -f "$unfinished"
  echo "wine-run.sh: $1 ended before its tests were done (exit status $status)" >&2
  [ "$status" -ne 0 ] || status=1
fi
exit "$status"
