#!/bin/bash
# Builds Orvane and runs every test: the native core under sanitizers and the
# Windows program's tests under Wine, in one CTest run.
#
#   scripts/test.sh            build into ./build and test
#   ORVANE_BUILD_DIR=/tmp/b scripts/test.sh   another build folder
#   scripts/test.sh -R core    extra arguments go to ctest
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$root/build}
jobs=${ORVANE_JOBS:-2}

"$root/scripts/setup.sh"

mkdir -p "$build"
build=$(cd "$build" && pwd)

cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build/native" -j "$jobs"

cmake -S "$root" -B "$build/win" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_NATIVE_BUILD_DIR="$build/native" >/dev/null
cmake --build "$build/win" -j "$jobs"

export ORVANE_BUILD_DIR="$build"
stop() { "$root/scripts/wine-session.sh" stop "$build"; }
trap stop EXIT
session=$("$root/scripts/wine-session.sh" start "$build")
eval "$session"

cd "$build/win"
ctest --output-on-failure "$@"
