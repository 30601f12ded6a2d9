#!/bin/bash
# Builds Orvane and runs every test:
#   1. the native core under AddressSanitizer and UndefinedBehaviorSanitizer
#      (no Wine needed, so its result shows whatever happens to Wine);
#   2. the 64-bit Windows build's tests under 64-bit Wine, on every machine;
#   3. the 32-bit Windows build's tests under 32-bit Wine, where the machine
#      runs 32-bit programs (it says in one line what it found).
# Both Windows programs are always built. It ends with one summary that
# names each part, and fails when any part failed.
#
#   scripts/test.sh            build into ./build and test
#   ORVANE_BUILD_DIR=/tmp/b scripts/test.sh   another build folder
#   scripts/test.sh -R core    extra arguments go to every ctest
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$root/build}
jobs=${ORVANE_JOBS:-2}
. "$root/scripts/steps.sh"
. "$root/scripts/machine.sh"
started=$SECONDS

"$root/scripts/setup.sh"

mkdir -p "$build"
build=$(cd "$build" && pwd)
orvane_logs "$build/logs"

stop_sessions() {
  for dir in "$build/win64" "$build/win"; do
    if [ -d "$dir/wine-session" ]; then "$root/scripts/wine-session.sh" stop "$dir" || true; fi
  done
}
trap stop_sessions EXIT

summary=()
failed=0
total_passed=0
total_failed=0

# run_ctest NAME FOLDER [ctest args...]: one ctest run, its output shown and
# kept; its closing line goes into the summary.
run_ctest() {
  local name=$1 dir=$2 status=0 line
  shift 2
  local log="$build/logs/ctest-${name// /-}.log"
  (cd "$dir" && ctest --output-on-failure "$@") 2>&1 | tee "$log" || status=$?
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    local total bad
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    total_passed=$((total_passed + total - bad))
    total_failed=$((total_failed + bad))
    summary+=("$(printf '%-22s %s' "$name:" "$line")")
  elif grep -q "No tests were found" "$log"; then
    summary+=("$(printf '%-22s %s' "$name:" "no test matched")")
  else
    summary+=("$(printf '%-22s %s' "$name:" "ctest ended with status $status before its summary (see $log)")")
    status=1
  fi
  if [ "$status" -ne 0 ]; then failed=1; fi
}

# 1. The native core: built and tested before anything of Wine.
orvane_step "Configuring the native core build" \
  cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo
orvane_step "Building the native core, its tests and its fuzz target" \
  cmake --build "$build/native" -j "$jobs"
echo "== Native core tests" >&2
run_ctest "native core" "$build/native" "$@"

# 2. What this machine runs, said before the Windows tests.
orvane_probe_32bit "$build"
if [ "$ORVANE_RUNS_32BIT" = yes ]; then
  echo "Machine check: this machine runs 32-bit programs: both Windows builds are built and tested." >&2
else
  echo "Machine check: $ORVANE_32BIT_WHY: both Windows builds are built, only the 64-bit build is tested." >&2
fi

# 3. Both Windows programs, always built.
orvane_windows_build "$root" "$build/win64" 64 "$jobs"
orvane_windows_build "$root" "$build/win" 32 "$jobs"

# 4. Each runnable build's tests in its own Wine session.
wine_tests() {
  local name=$1 dir=$2 session
  shift 2
  echo "== $name tests under Wine" >&2
  if ! session=$("$root/scripts/wine-session.sh" start "$dir"); then
    summary+=("$(printf '%-22s %s' "$name:" "not run: its Wine session did not start (see above)")")
    failed=1
    return
  fi
  local saved_display=${DISPLAY-}
  eval "$session"
  run_ctest "$name" "$dir" "$@"
  "$root/scripts/wine-session.sh" stop "$dir"
  export DISPLAY=$saved_display
  [ -n "$saved_display" ] || unset DISPLAY
}
wine_tests "64-bit Windows build" "$build/win64" "$@"
if [ "$ORVANE_RUNS_32BIT" = yes ]; then
  wine_tests "32-bit Windows build" "$build/win" "$@"
else
  summary+=("$(printf '%-22s %s' "32-bit Windows build:" "built, not run: $ORVANE_32BIT_WHY")")
fi

echo
echo "Summary after $(( (SECONDS - started) / 60 )) min $(( (SECONDS - started) % 60 )) s"
printf '  %s\n' "${summary[@]}"
echo "total: $total_passed passed, $total_failed failed"
exit "$failed"
