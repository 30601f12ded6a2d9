# Steps of the set-up, build and test scripts, each said before it runs and
# timed when it ends. A step's own output goes to a log file; a step that
# fails says which step it was, shows the end of that log and, where the
# cause is known, what it means. Source it, then call
#
#   orvane_logs FOLDER              where the step logs go (created)
#   orvane_step "What it does" command [args...]
#
# Everything is written to standard error, so that a script whose standard
# output is read (wine-session.sh start) can use it too. Sourcing it also
# reports any other failing command of the script with its line.

orvane_log_dir=${orvane_log_dir:-${TMPDIR:-/tmp}/orvane-logs}

orvane_logs() {
  orvane_log_dir=$1
  mkdir -p "$orvane_log_dir"
}

# A hint for a failure whose cause shows in the log.
orvane_hint() {
  local log=$1
  if grep -q "Exec format error" "$log" 2>/dev/null; then
    echo "this machine refuses 32-bit programs (its kernel's 32-bit emulation is off);" \
      "only the 64-bit build can run here"
  elif grep -q "cannot open display\|Can't open display\|no display" "$log" 2>/dev/null; then
    echo "no X display could be opened: is Xvfb installed (scripts/setup.sh)?"
  elif grep -q "Unable to locate package\|Temporary failure resolving\|Could not resolve" "$log" 2>/dev/null; then
    echo "the Debian package lists could not be read: check the network and apt's sources"
  elif grep -q "No space left on device" "$log" 2>/dev/null; then
    echo "the disk is full"
  fi
}

orvane_step() {
  local what=$1
  shift
  mkdir -p "$orvane_log_dir"
  local slug
  slug=$(printf '%s' "$what" | tr -c 'A-Za-z0-9' '-' | tr -s '-' | tr 'A-Z' 'a-z')
  local log="$orvane_log_dir/${slug%-}.log"
  local started=$SECONDS status=0
  printf '%s ...\n' "$what" >&2
  "$@" </dev/null >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    {
      printf '\nFAILED: %s (exit status %d, after %d s)\n' "$what" "$status" $((SECONDS - started))
      printf 'The command: %s\n' "$*"
      if [ -s "$log" ]; then
        printf 'The last lines of its output (all of it in %s):\n' "$log"
        tail -n 25 "$log" | sed 's/^/    /'
      else
        printf 'It printed nothing.\n'
      fi
      local hint
      hint=$(orvane_hint "$log")
      if [ -n "$hint" ]; then printf 'Hint: %s\n' "$hint"; fi
    } >&2
    return "$status"
  fi
  printf '  done in %d s\n' $((SECONDS - started)) >&2
}

# orvane_windows_build SOURCE BUILD BITS JOBS [TARGET]: configures and
# builds the 32- or 64-bit Windows build of SOURCE in BUILD (everything, or
# TARGET), as two steps.
orvane_windows_build() {
  local source=$1 dir=$2 bits=$3 jobs=$4 target=${5:-}
  local arch=i686 what="the ${bits}-bit Windows program and its tests"
  [ "$bits" = 64 ] && arch=x86_64
  [ -n "$target" ] && what="the ${bits}-bit Windows program and its help file"
  orvane_step "Configuring the ${bits}-bit Windows build" \
    cmake -S "$source" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo || return
  orvane_step "Building $what" cmake --build "$dir" -j "$jobs" ${target:+--target "$target"}
}

# Any other command that fails under `set -e` names itself before the
# script ends.
trap 'orvane_status=$?; [[ $BASH_COMMAND == return* ]] || printf "%s: failed at line %d (exit status %d): %s\n" "${0##*/}" "$LINENO" "$orvane_status" "$BASH_COMMAND" >&2' ERR
