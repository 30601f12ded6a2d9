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
if [ -n "${ORVANE_WINE_TIME_LIMIT:-}" ]; then
  set -- timeout -k 10 "$ORVANE_WINE_TIME_LIMIT" "$ORVANE_WINE_LOADER" "$@"
else
  set -- "$ORVANE_WINE_LOADER" "$@"
fi
exec taskset -c "$ORVANE_WINE_CPU" "$@"
