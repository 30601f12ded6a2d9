#!/bin/bash
# Starts or stops what the Windows tests need: a display, the Wine prefix,
# a persistent wineserver and the virtual desktop.
#
#   scripts/wine-session.sh start BUILD_DIR   prints "export ..." lines to eval
#   scripts/wine-session.sh stop BUILD_DIR
#
# Background processes get their standard streams on /dev/null: CTest waits
# for every process that holds its output pipe, and forever for a
# persistent wineserver.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?start or stop}
export ORVANE_BUILD_DIR=$(cd "${2:?build folder}" && pwd)
. "$here/wine-env.sh"
. "$here/wine-prefix.sh"
state="$ORVANE_BUILD_DIR/wine-session"

start_display() {
  if [ -n "${DISPLAY:-}" ] && [ ! -f "$state/xvfb.pid" ]; then
    echo "export DISPLAY=$DISPLAY"
    return
  fi
  # Xvfb picks a free display number and writes it to the fd we give it.
  local fifo="$state/displayfd"
  rm -f "$fifo"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
  echo $! > "$state/xvfb.pid"
  local num
  read -r num < "$fifo"
  rm -f "$fifo"
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

case "$action" in
  start)
    mkdir -p "$state"
    start_display
    make_prefix
    # A persistent server saves about 0.4 s per program start; the virtual
    # desktop avoids a fixed 2 s wait whenever a top-level window closes.
    taskset -c 0 wineserver -p </dev/null >/dev/null 2>&1
    taskset -c 0 wine explorer.exe /desktop=Default,1024x768 </dev/null >/dev/null 2>&1 &
    echo $! > "$state/desktop.pid"
    taskset -c 0 wine wineboot </dev/null >/dev/null 2>&1 || true
    # The desktop window appears a moment after its process starts; a test
    # that creates a window before then fails with an X BadWindow error.
    for _ in $(seq 100); do
      xwininfo -root -tree 2>/dev/null | grep -q '"Default - Wine desktop"' && break
      sleep 0.1
    done
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 || true
    if [ -f "$state/desktop.pid" ]; then
      kill "$(cat "$state/desktop.pid")" 2>/dev/null || true
      rm -f "$state/desktop.pid"
    fi
    if [ -f "$state/xvfb.pid" ]; then
      kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
      rm -f "$state/xvfb.pid"
    fi
    ;;
  *) echo "usage: $0 start|stop BUILD_DIR" >&2; exit 2 ;;
esac
