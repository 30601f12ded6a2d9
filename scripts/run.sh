#!/bin/bash
# Builds Orvane and starts it under Wine.
#
#   bash scripts/run.sh
#
# Installs what is missing (Debian packages only), builds the program and
# puts it, with its help file and web page, into a folder of its own under
# the user's home: ~/.local/share/orvane/program. Its Wine prefix (where the
# registry keeps Orvane's settings) lives beside it in ~/.local/share/orvane/
# wine-prefix, and the operation log is written beside the program, so
# settings and log survive a rebuild; a new build replaces the program there.
#
# With a display, Orvane opens on it. Without one (a server, a container),
# the script starts a private display and serves it to a browser on this
# machine: it prints the address to open. Orvane then runs in a browser tab;
# when it ends, everything the script started is stopped.
#
#   ORVANE_HOME=/some/folder       another place for the program and prefix
#   ORVANE_BUILD_DIR=/tmp/b        another build folder than ./build
#   ORVANE_WEB_PORT=6080           the browser port (the next free one is used)
#   ORVANE_HEADLESS=1              use the private display even with $DISPLAY
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$root/build}
home_dir=${ORVANE_HOME:-$HOME/.local/share/orvane}
jobs=${ORVANE_JOBS:-2}

"$root/scripts/setup.sh" --run

mkdir -p "$build" "$home_dir/program"
build=$(cd "$build" && pwd)
home_dir=$(cd "$home_dir" && pwd)

cmake -S "$root" -B "$build/win" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build/win" --target orvane_program -j "$jobs"

# The build's program folder holds only what ships beside the program; the
# log and its backup in the user's folder are left where they are.
cp -f "$build/win/program/"* "$home_dir/program/"

export WINEPREFIX="$home_dir/wine-prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winealsa.drv,winepulse.drv="
. "$root/scripts/wine-prefix.sh"
program="$home_dir/program/orvane.exe"

if [ -z "${ORVANE_HEADLESS:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  orvane_prepare_prefix ""
  echo "Starting Orvane on $DISPLAY (settings in $WINEPREFIX)"
  cd "$home_dir/program"
  exec wine "$program"
fi

# No display: a private one, served to the browser through VNC.
pids=()
stop() {
  WINEPREFIX="$home_dir/wine-prefix" wineserver -k >/dev/null 2>&1 || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap stop EXIT
trap 'exit 130' INT TERM

free_port() {
  local port=$1
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do
    port=$((port + 1))
  done
  echo "$port"
}

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
pids+=($!)
read -r display_number < "$fifo"
rm -f "$fifo"
export DISPLAY=":$display_number"

orvane_prepare_prefix ""

vnc_port=$(free_port 5900)
x11vnc -display "$DISPLAY" -rfbport "$vnc_port" -localhost -nopw -forever -shared -quiet \
  </dev/null >"$home_dir/x11vnc.log" 2>&1 &
pids+=($!)
web_port=$(free_port "${ORVANE_WEB_PORT:-6080}")
websockify --web /usr/share/novnc "127.0.0.1:$web_port" "127.0.0.1:$vnc_port" \
  </dev/null >"$home_dir/websockify.log" 2>&1 &
pids+=($!)

for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$web_port") 2>/dev/null && break
  sleep 0.1
done

echo
echo "Orvane is running on a private display. Open this address in a browser"
echo "on this machine:"
echo
echo "    http://localhost:$web_port/vnc.html?autoconnect=1&resize=remote"
echo
echo "Close Orvane (File > Exit) or press Ctrl+C here to stop."
echo

# A Wine virtual desktop gives the program a desktop with window frames on
# the bare display. The desktop outlives the program, so wait for the
# program's own process and stop the rest when it is gone.
cd "$home_dir/program"
wine explorer /desktop=Orvane,1024x768 "$program" </dev/null >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 300); do
  pgrep -fx -- "$program" >/dev/null && break
  sleep 0.1
done
while pgrep -fx -- "$program" >/dev/null; do
  sleep 1
done
