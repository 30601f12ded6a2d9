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
# emulated; no debugger starts when one of them crashes. scripts/wine-run.sh
# gives each of them a hard time limit (ORVANE_WINE_TIME_LIMIT seconds) and
# checks how it ended.
ORVANE_WINE_UNDER_EMULATOR=""
if [ -n "${ORVANE_WINE_EMULATED:-}" ] && [ "$ORVANE_WINE_ARCH" = win32 ]; then
  export WINEPREFIX="$ORVANE_WINE_BUILD/wine-prefix-emulated"
  export WINEARCH=win64
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES%=},winedbg.exe="
  ORVANE_WINE_UNDER_EMULATOR=yes
  export ORVANE_WINE_TIME_LIMIT=${ORVANE_WINE_TIME_LIMIT:-180}
  # A 32-bit program with a second thread of its own crashes now and then
  # under the emulator (qemu 7.2 keeps one table of thread segments for all
  # of a process's threads): the test programs' dialog driver does without
  # its watchdog thread, which the time limit replaces.
  export ORVANE_NO_WATCHDOG_THREAD=1
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
