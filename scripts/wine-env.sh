# Environment for every Wine process of a Windows build and its tests.
# Source it with ORVANE_WINE_BUILD naming a Windows build folder (one that
# CMake configured with cmake/mingw-i686.cmake or cmake/mingw-x86_64.cmake):
# the folder's CMake cache says whether its programs need a 32-bit or a
# 64-bit Wine prefix, and the prefix and a scratch HOME live in the folder.
: "${ORVANE_WINE_BUILD:?ORVANE_WINE_BUILD must name a Windows build folder}"

if [ ! -f "$ORVANE_WINE_BUILD/CMakeCache.txt" ]; then
  echo "wine-env.sh: $ORVANE_WINE_BUILD is not a configured build folder (no CMakeCache.txt)" >&2
  return 2 2>/dev/null || exit 2
fi
ORVANE_WINE_ARCH=$(sed -n 's/^ORVANE_WINE_ARCH:INTERNAL=//p' "$ORVANE_WINE_BUILD/CMakeCache.txt")
case "$ORVANE_WINE_ARCH" in
  win32|win64) ;;
  *)
    echo "wine-env.sh: $ORVANE_WINE_BUILD is not a Windows build (configure it with cmake/mingw-i686.cmake or cmake/mingw-x86_64.cmake)" >&2
    return 2 2>/dev/null || exit 2
    ;;
esac
export ORVANE_WINE_BUILD ORVANE_WINE_ARCH
export WINEPREFIX="$ORVANE_WINE_BUILD/wine-prefix"
export WINEARCH=$ORVANE_WINE_ARCH
export WINEDEBUG=-all
# No Mono or Gecko prompts, no menu entries on the host, no sound drivers.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winealsa.drv,winepulse.drv="
# Wine links Desktop, Documents and the like into HOME: keep them in the build.
export HOME="$ORVANE_WINE_BUILD/wine-home"
# The regional defaults ("Intl") follow the locale: pin it so results do not
# depend on the machine.
export LANG=C.UTF-8
export LC_ALL=C.UTF-8
# Wine's server and its clients share one CPU (see wine-run.sh); two test
# runs side by side can take one each.
export ORVANE_WINE_CPU=${ORVANE_WINE_CPU:-0}

# A 32-bit build under the user-mode emulator (scripts/wine32-emulated.sh
# sets ORVANE_WINE_EMULATED): a 64-bit prefix of its own, whose server,
# desktop and services run natively, so that only the 32-bit programs are
# emulated. No debugger starts when one of them crashes, and each has a
# hard time limit (seconds, for scripts/wine-run.sh): a crash or a hang ends
# the program instead of holding the run. scripts/wine-run.sh starts the
# build's programs with ORVANE_WINE_LOADER: here the 32-bit loader itself,
# so that a program the emulator ends has that exit status; started through
# the 64-bit loader (which hands it to start.exe), it would end with 0.
ORVANE_WINE_LOADER=wine
if [ -n "${ORVANE_WINE_EMULATED:-}" ] && [ "$ORVANE_WINE_ARCH" = win32 ]; then
  export WINEPREFIX="$ORVANE_WINE_BUILD/wine-prefix-emulated"
  export WINEARCH=win64
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES%=},winedbg.exe="
  export ORVANE_WINE_TIME_LIMIT=${ORVANE_WINE_TIME_LIMIT:-300}
  ORVANE_WINE_LOADER=/usr/lib/wine/wine
fi

# Debian's `wine` starts the 32-bit loader whenever it is installed, even on
# a machine that cannot run it: a 64-bit prefix gets a `wine` and a
# `wineserver` of its own, first on the PATH.
if [ "$WINEARCH" = win64 ]; then
  # Scripts, not links: the loader started under the name "wine" takes
  # itself for the 32-bit one.
  if [ ! -f "$ORVANE_WINE_BUILD/wine-bin/wineserver" ] || [ -L "$ORVANE_WINE_BUILD/wine-bin/wineserver" ]; then
    mkdir -p "$ORVANE_WINE_BUILD/wine-bin"
    rm -f "$ORVANE_WINE_BUILD/wine-bin/wine" "$ORVANE_WINE_BUILD/wine-bin/wineserver"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$ORVANE_WINE_BUILD/wine-bin/wine"
    printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 "$@"\n' > "$ORVANE_WINE_BUILD/wine-bin/wineserver"
    chmod +x "$ORVANE_WINE_BUILD/wine-bin/wine" "$ORVANE_WINE_BUILD/wine-bin/wineserver"
  fi
  export PATH="$ORVANE_WINE_BUILD/wine-bin:$PATH"
  export WINELOADER=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
fi
