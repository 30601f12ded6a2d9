#!/bin/bash
# Builds Orvane and starts it under Wine.
#
#   bash scripts/run.sh
#
# Installs what is missing (Debian packages only), builds both programs
# (orvane.exe for 32-bit Windows, orvane64.exe for 64-bit) and puts them,
# with their help files and the web page, into a folder of its own under the
# user's home: ~/.local/share/orvane/program. It starts the 32-bit program
# where this machine runs 32-bit programs and the 64-bit one elsewhere, and
# says which. The Wine prefix (where the registry keeps Orvane's settings)
# lives beside it in ~/.local/share/orvane/wine-prefix (wine-prefix64 for the
# 64-bit program), and the operation log is written beside the program, so
# settings and log survive a rebuild; a new build replaces the programs.
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
. "$root/scripts/steps.sh"
. "$root/scripts/machine.sh"

"$root/scripts/setup.sh" --run

mkdir -p "$build" "$home_dir/program"
build=$(cd "$build" && pwd)
home_dir=$(cd "$home_dir" && pwd)
orvane_logs "$build/logs"

# Both programs go into the program folder: orvane.exe for 32-bit Windows
# and orvane64.exe, each with its help file, and the web page.
for bits in 32 64; do
  dir=$build/win; [ "$bits" = 64 ] && dir=$build/win64
  orvane_windows_build "$root" "$dir" "$bits" "$jobs" orvane_program
  # The build's program folder holds only what ships beside the program; the
  # log and its backup in the user's folder are left where they are.
  cp -f "$dir/program/"* "$home_dir/program/"
done

# The 32-bit program where this machine runs 32-bit programs, the 64-bit one
# elsewhere; each has a Wine prefix of its own kind for its settings.
orvane_probe_32bit "$build"
if [ "$ORVANE_RUNS_32BIT" = yes ]; then
  echo "Machine check: this machine runs 32-bit programs: starting the 32-bit program, orvane.exe."
  ORVANE_WINE_BUILD=$build/win
  program="$home_dir/program/orvane.exe"
  prefix="$home_dir/wine-prefix"
else
  echo "Machine check: $ORVANE_32BIT_WHY: starting the 64-bit program, orvane64.exe."
  ORVANE_WINE_BUILD=$build/win64
  program="$home_dir/program/orvane64.exe"
  prefix="$home_dir/wine-prefix64"
fi
# The display's key stays the user's once HOME moves below.
export XAUTHORITY=${XAUTHORITY:-$HOME/.Xauthority}
. "$root/scripts/wine-env.sh"
export WINEPREFIX=$prefix
# Wine links the prefix's Desktop, Documents and the like into HOME: they
# live in Orvane's home folder, not in the user's own (a Desktop shortcut
# made from the options lands in $home_dir/wine-home/Desktop).
export HOME=$home_dir/wine-home
mkdir -p "$HOME"
. "$root/scripts/wine-prefix.sh"

# Wine hands the pages Orvane opens to the browsers it is told of: here
# orvane-open-page (scripts/web), which opens them where the user looks. It
# is named by its full path, in Orvane's home folder beside the prefix. A
# prefix without Wine's HTML engine (left out: it would ask to download it)
# does not know .htm files as web pages: they are told to open with Wine's
# browser starter, as they do on Windows with the user's browser.
mkdir -p "$home_dir/bin"
cp -f "$root/scripts/web/orvane-open-page" "$home_dir/bin/"
rm -f "$home_dir/bin/web-folder"
prepare_run_prefix() {
  orvane_prepare_prefix ""
  if [ ! -f "$WINEPREFIX/.orvane-browser" ]; then
    local reg
    reg=$(mktemp --suffix=.reg)
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]\n"Browsers"="%s"\n\n[HKEY_CLASSES_ROOT\\.htm]\n@="htmlfile"\n' \
      "$home_dir/bin/orvane-open-page" > "$reg"
    orvane_step "Telling Wine which browser opens Orvane's pages" \
      orvane_import_reg "Z:$(printf '%s' "$reg" | tr '/' '\\')"
    rm -f "$reg"
    touch "$WINEPREFIX/.orvane-browser"
  fi
}

if [ -z "${ORVANE_HEADLESS:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  prepare_run_prefix
  echo "Starting Orvane on $DISPLAY (settings in $WINEPREFIX)"
  cd "$home_dir/program"
  exec wine "$program"
fi

# No display: a private one, served to the browser through VNC.
pids=()
stop() {
  wineserver -k >/dev/null 2>&1 || true
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
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" </dev/null >"$home_dir/xvfb.log" 2>&1 &
pids+=($!)
display_number=""
read -r -t 30 display_number < "$fifo" || true
rm -f "$fifo"
if [ -z "$display_number" ]; then
  echo "run.sh: the private display (Xvfb) did not start; its output:" >&2
  sed 's/^/    /' "$home_dir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$display_number"

prepare_run_prefix

vnc_port=$(free_port 5900)
x11vnc -display "$DISPLAY" -rfbport "$vnc_port" -localhost -nopw -forever -shared -quiet \
  </dev/null >"$home_dir/x11vnc.log" 2>&1 &
pids+=($!)
# The served folder: noVNC's files, the page that frames them and a status
# the page reads, so that the tab says when Orvane has ended.
web="$home_dir/web"
rm -rf "$web"
mkdir -p "$web"
ln -s /usr/share/novnc/* "$web/"
cp "$root/scripts/web/orvane.html" "$web/"
echo running > "$web/status.txt"
echo "$web" > "$home_dir/bin/web-folder"
web_port=$(free_port "${ORVANE_WEB_PORT:-6080}")
websockify --web "$web" "127.0.0.1:$web_port" "127.0.0.1:$vnc_port" \
  </dev/null >"$home_dir/websockify.log" 2>&1 &
pids+=($!)

served=""
for _ in $(seq 100); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$web_port") 2>/dev/null; then served=yes; break; fi
  sleep 0.1
done
if [ -z "$served" ]; then
  echo "run.sh: the browser server (websockify) did not start on port $web_port; its output:" >&2
  sed 's/^/    /' "$home_dir/websockify.log" >&2
  exit 1
fi

echo
echo "Orvane is running on a private display. Open this address in a browser"
echo "on this machine:"
echo
echo "    http://localhost:$web_port/orvane.html"
echo
echo "Close Orvane (File > Exit) or press Ctrl+C here to stop."
echo

# A Wine virtual desktop gives the program a desktop with window frames on
# the bare display. The desktop outlives the program, so wait for the
# program's own process and stop the rest when it is gone.
cd "$home_dir/program"
wine explorer /desktop=Orvane,1024x768 "$program" </dev/null >/dev/null 2>&1 &
pids+=($!)
started=""
for _ in $(seq 300); do
  if pgrep -fx -- "$program" >/dev/null; then started=yes; break; fi
  sleep 0.1
done
if [ -z "$started" ]; then
  echo "run.sh: $program did not start within 30 s under Wine." >&2
  exit 1
fi
while pgrep -fx -- "$program" >/dev/null; do
  sleep 1
done
# The page polls once a second: give it the word before the server stops.
echo ended > "$web/status.txt"
echo "Orvane has ended; the private display and the browser server are stopped."
sleep 2
