#!/bin/bash
# Starts or stops what the Windows tests of one build need: a display, the
# build's Wine prefix (32- or 64-bit, as the build's CMake cache says), a
# persistent wineserver and the virtual desktop.
#
#   scripts/wine-session.sh start WINDOWS_BUILD   prints "export ..." lines to eval
#   scripts/wine-session.sh stop WINDOWS_BUILD
#   scripts/wine-session.sh ctest WINDOWS_BUILD [ARGS...]
#                                                 a session for one ctest run in
#                                                 the build, with ARGS; its status
#
# WINDOWS_BUILD is a folder configured with cmake/mingw-i686.cmake or
# cmake/mingw-x86_64.cmake (scripts/test.sh makes BUILD/win and BUILD/win64).
# Progress and failures go to standard error, with the failing step's output.
# Background processes get their standard streams on /dev/null: CTest waits
# for every process that holds its output pipe, and forever for a
# persistent wineserver.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?start or stop}
ORVANE_WINE_BUILD=$(cd "${2:?a Windows build folder}" && pwd)
. "$here/steps.sh"
. "$here/wine-env.sh"
. "$here/wine-prefix.sh"
state="$ORVANE_WINE_BUILD/wine-session"
orvane_logs "$state/logs"

# A process is recorded with its process namespace and ended only from
# there: a session under the emulator runs in a namespace of its own, where
# the same number is another process.
record_pid() { printf '%s %s\n' "$(readlink /proc/self/ns/pid)" "$1" > "$2"; }
end_recorded() {
  local ns="" pid=""
  [ -f "$1" ] || return 0
  read -r ns pid < "$1" || true
  if [ -n "$pid" ] && [ "$ns" = "$(readlink /proc/self/ns/pid)" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -f "$1"
}

start_display() {
  if [ -n "${DISPLAY:-}" ] && [ ! -f "$state/xvfb.pid" ]; then
    echo "export DISPLAY=$DISPLAY"
    return
  fi
  # Xvfb picks a free display number and writes it to the fd we give it.
  local fifo="$state/displayfd"
  rm -f "$fifo"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" </dev/null >"$state/logs/xvfb.log" 2>&1 &
  record_pid $! "$state/xvfb.pid"
  local num=""
  read -r -t 30 num < "$fifo" || true
  rm -f "$fifo"
  if [ -z "$num" ]; then
    echo "wine-session.sh: Xvfb did not start; its output:" >&2
    sed 's/^/    /' "$state/logs/xvfb.log" >&2
    exit 1
  fi
  export DISPLAY=":$num"
  echo "export DISPLAY=:$num"
}

make_prefix() {
  mkdir -p "$HOME"
  # Tests run inside a virtual desktop: top-level windows then close without
  # the 2 s wait of a bare X server, and the tray icon can be clicked.
  local reg="$state/desktop.reg"
  cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
  orvane_prepare_prefix "$reg"
}

start_server() {
  taskset -c "$ORVANE_WINE_CPU" wineserver -p </dev/null >/dev/null 2>&1
  # The server answers once the prefix's services are up.
  taskset -c "$ORVANE_WINE_CPU" timeout 300 wine wineboot </dev/null
}

stop_session() {
  wineserver -k >/dev/null 2>&1 || true
  end_recorded "$state/desktop.pid"
  end_recorded "$state/xvfb.pid"
}

case "$action" in
  start)
    # A session of this build that was never stopped would hold the prefix
    # on another display: it goes first.
    stop_session
    mkdir -p "$state"
    start_display
    make_prefix
    # A persistent server saves about 0.4 s per program start; the virtual
    # desktop avoids a fixed 2 s wait whenever a top-level window closes.
    orvane_step "Starting the Wine server of $ORVANE_WINE_ARCH" start_server
    taskset -c "$ORVANE_WINE_CPU" wine explorer.exe /desktop=Default,1024x768 </dev/null >"$state/logs/desktop.log" 2>&1 &
    record_pid $! "$state/desktop.pid"
    # The desktop window appears a moment after its process starts; a test
    # that creates a window before then fails with an X BadWindow error.
    desktop=""
    for _ in $(seq 150); do
      if xwininfo -root -tree 2>/dev/null | grep -q '"Default - Wine desktop"'; then desktop=yes; break; fi
      sleep 0.1
    done
    if [ -z "$desktop" ]; then
      echo "wine-session.sh: Wine's virtual desktop did not appear within 15 s; its output:" >&2
      sed 's/^/    /' "$state/logs/desktop.log" >&2
      exit 1
    fi
    echo "export ORVANE_WINE_BUILD=$ORVANE_WINE_BUILD"
    ;;
  stop)
    stop_session
    ;;
  ctest)
    shift 2
    if ! exports=$("$0" start "$ORVANE_WINE_BUILD"); then
      echo "wine-session.sh: the Wine session of $ORVANE_WINE_BUILD did not start; no test ran" >&2
      exit 1
    fi
    eval "$exports"
    status=0
    (cd "$ORVANE_WINE_BUILD" && ctest --output-on-failure "$@") || status=$?
    stop_session
    exit "$status"
    ;;
  *) echo "usage: $0 start|stop|ctest WINDOWS_BUILD [ctest arguments]" >&2; exit 2 ;;
esac
