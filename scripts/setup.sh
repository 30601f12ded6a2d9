#!/bin/bash
# Installs everything Orvane needs to build and test on Debian 12, as root.
# Safe to run again: it does nothing when every package is already there.
#
#   scripts/setup.sh          what the build and the tests need
#   scripts/setup.sh --run    also what scripts/run.sh needs without a display
set -euo pipefail

packages=(
  cmake make g++ python3          # native build, the core tests, icon drawing
  python3-pil fonts-dejavu-core   # the bitmaps and the texts in the pictures
  halibut                         # the help file
  g++-mingw-w64-i686              # both thread models and windres
  googletest                      # sources, built by each build with its compiler
  libssl-dev                      # ChaCha20 as a benchmark yardstick only
  wine wine32:i386 wine64         # runs the Windows program and its tests
  xvfb x11-apps x11-utils imagemagick  # a display without a screen; screenshots
  util-linux                      # taskset, setpriv
  clang-14 libclang-rt-14-dev     # the core's fuzz target (libFuzzer)
)
if [ "${1:-}" = "--run" ]; then
  packages+=(x11vnc novnc websockify)  # the private display served to a browser
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup.sh: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
