#!/bin/bash
# Installs everything Orvane needs to build and test on Debian 12, as root.
# Safe to run again: it does nothing when every package is already there.
#
#   scripts/setup.sh          what the build and the tests need
#   scripts/setup.sh --run    also what scripts/run.sh needs without a display
#
# 32-bit Wine is installed only where the machine runs 32-bit programs.
# Elsewhere (or with ORVANE_32BIT=emulated) the 32-bit build's tests run
# under a user-mode emulator instead: qemu-user-static is installed, and
# scripts/wine32-emulated.sh fetches 32-bit Wine into the build folder
# without installing it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/steps.sh"
. "$here/machine.sh"

packages=(
  cmake make g++ python3          # native build, the core tests, icon drawing
  python3-pil fonts-dejavu-core   # the bitmaps and the texts in the pictures
  halibut                         # the help file
  nsis                            # the setup programs
  groff-base                      # the command-line tool's manual as text for them
  g++-mingw-w64-i686              # the 32-bit program: both thread models and windres
  g++-mingw-w64-x86-64            # the 64-bit program
  googletest                      # sources, built by each build with its compiler
  libssl-dev                      # ChaCha20 as a benchmark yardstick only
  wine wine64                     # runs the Windows programs and their tests
  xvfb x11-apps x11-utils imagemagick  # a display without a screen; screenshots
  util-linux                      # taskset, setpriv
  clang-14 libclang-rt-14-dev     # the core's fuzz target (libFuzzer)
  openssl age gpg                 # yardsticks of the command-line tool's benchmark
)
# Installed without their recommendations.
bare=()
orvane_choose_32bit_route "${TMPDIR:-/tmp}/orvane-probe"
if [ "$ORVANE_32BIT_ROUTE" = native ]; then
  packages+=(wine32:i386)         # the 32-bit program's tests
else
  # The emulator alone: what it recommends (systemd or binfmt-support)
  # registers emulators machine-wide.
  bare+=(qemu-user-static)
fi
if [ "${1:-}" = "--run" ]; then
  packages+=(x11vnc novnc websockify)  # the private display served to a browser
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
missing_bare=()
for p in "${bare[@]}"; do
  installed "$p" || missing_bare+=("$p")
done
all=("${missing[@]}" "${missing_bare[@]}")
if [ ${#all[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup.sh: these packages are missing and installing them needs root: ${all[*]}" >&2
  exit 1
fi

echo "Installing ${#all[@]} Debian packages: ${all[*]}" >&2
orvane_logs "${TMPDIR:-/tmp}/orvane-setup-logs"
export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  orvane_step "Adding the i386 architecture to dpkg" dpkg --add-architecture i386
fi
orvane_step "Reading the Debian package lists (apt-get update)" apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  orvane_step "Downloading the packages and what they need (the largest step)" \
    apt-get install -y -q --download-only "${missing[@]}"
  orvane_step "Installing and configuring them" apt-get install -y -q "${missing[@]}"
fi
if [ ${#missing_bare[@]} -gt 0 ]; then
  orvane_step "Installing ${missing_bare[*]} without its recommendations" \
    apt-get install -y -q --no-install-recommends "${missing_bare[@]}"
fi
