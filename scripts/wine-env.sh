# Environment for every Wine process of the build and the tests.
# Source it with ORVANE_BUILD_DIR set to the build folder; it owns the
# Wine prefix and a scratch HOME below that folder.
: "${ORVANE_BUILD_DIR:?ORVANE_BUILD_DIR must name the build folder}"

export WINEPREFIX="$ORVANE_BUILD_DIR/wine-prefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko prompts, no menu entries on the host, no sound drivers.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winealsa.drv,winepulse.drv="
# Wine links Desktop, Documents and the like into HOME: keep them in the build.
export HOME="$ORVANE_BUILD_DIR/wine-home"
# The regional defaults ("Intl") follow the locale: pin it so results do not
# depend on the machine.
export LANG=C.UTF-8
export LC_ALL=C.UTF-8
