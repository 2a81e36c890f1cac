#!/usr/bin/env bash
# Runs every Win32 GoogleTest executable (*_test.exe, *_tests.exe under BUILD_WIN32/tests) under
# Wine, each with a timeout, and ends with a summary in CTest's words. Each gets a fresh serial
# line: Wine's COM1 (where the console looks) joined to COM20 (where the tests' in-process
# simulated module answers) by the Linux build's wine_line_pair.
#   tests/wine/run_gtests.sh [BUILD_WIN32] [BUILD_NATIVE]
# Environment: WINE_TIMEOUT seconds per executable (default 300); K7R2_WINE_GTEST_FILTER is
# passed on as --gtest_filter. The programs see K7R2_TEST_COM=1, the console's port, and
# K7R2_SIM_COM=20, the module's.
set -euo pipefail
# The window tests need a display: the whole run shares one virtual X server.
if [ -z "${K7R2_RUN_GTESTS_XVFB:-}" ] && command -v xvfb-run >/dev/null; then
  K7R2_RUN_GTESTS_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
win32=$(realpath "${1:-$root/build-win32}")
native=$(realpath "${2:-$root/${BUILD_DIR:-build}}")
export BUILD_DIR=$native
export WINE_TIMEOUT=${WINE_TIMEOUT:-300}
export K7R2_TEST_COM=1 K7R2_SIM_COM=20
# Wine decodes the Unix side's arguments and environment in the locale's character set.
export LC_ALL=C.UTF-8

work=$(mktemp -d)
sim=
stop_sim() {
  if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; fi
  sim=
}
cleanup() { stop_sim; rm -rf "$work"; }
trap cleanup EXIT

# start_sim N: a fresh line for COM1 and COM20; sets $sim (its process), $console_end and
# $module_end. Not in a subshell, so that stop_sim can end it.
start_sim() {
  console_end=$work/line.$1.com1
  module_end=$work/line.$1.com9
  "$native/tests/wine_line_pair" "$console_end" "$module_end" >"$work/sim.$1.txt" 2>&1 &
  sim=$!
  for _ in $(seq 200); do
    if [ -L "$console_end" ] && [ -L "$module_end" ]; then
      console_end=$(readlink "$console_end")
      module_end=$(readlink "$module_end")
      return 0
    fi
    kill -0 "$sim" 2>/dev/null || break
    sleep 0.05
  done
  echo "run_gtests: the serial line did not start: $(cat "$work/sim.$1.txt")" >&2
  return 1
}

# Seconds since a `date +%s.%N` reading, to two decimals.
elapsed() { awk -v from="$1" -v to="$(date +%s.%N)" 'BEGIN { printf "%.2f", to - from }'; }

mapfile -t programs < <(find "$win32/tests" -type f \( -name '*_test.exe' -o -name '*_tests.exe' \) |
  LC_ALL=C sort)
[ ${#programs[@]} -gt 0 ] || { echo "run_gtests: no test executables under $win32/tests" >&2; exit 1; }

# The ports the tests use as missing ones stay missing, whatever serial devices the host has.
absent=()
for n in 2 3 4 5 6 7 8 9; do absent+=(--com "$n="); done

filter=()
[ -z "${K7R2_WINE_GTEST_FILTER:-}" ] || filter=(--gtest_filter="$K7R2_WINE_GTEST_FILTER")

start=$(date +%s.%N)
total=0
failed_names=()
index=0
for program in "${programs[@]}"; do
  index=$((index + 1))
  name=$(basename "$program" .exe)
  log=$work/$name.log
  began=$(date +%s.%N)
  status=0
  if start_sim "$index"; then
    # The programs run in a folder of their own, where they may leave files.
    mkdir -p "$work/cwd.$index"
    "$root/tools/wine-run.sh" --x11 --com 1="$console_end" --com 20="$module_end" "${absent[@]}" --cwd "$work/cwd.$index" "$program" \
      --gtest_color=no "${filter[@]}" >"$log" 2>&1 || status=$?
  else
    status=1
    echo "the serial line did not start" >"$log"
  fi
  stop_sim
  seconds=$(elapsed "$began")

  ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log" | tail -1)
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
  mapfile -t failures < <(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_/.]*\)\( (.*)\|, .*\)\?$/\1/p' "$log" |
    LC_ALL=C sort -u)
  skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?,.*/\1/p' "$log" | tail -1)
  ran=${ran:-0}
  # A test that skips itself (bound to the other backend, or to Windows proper) counts as done.
  passed=$((${passed:-0} + ${skipped:-0}))
  total=$((total + ran))
  verdict=Passed
  if [ "$status" -eq 0 ] && [ "$ran" -eq 0 ] && [ ${#filter[@]} -gt 0 ]; then
    verdict=Skipped  # nothing of it matches the filter
  elif [ "$status" -ne 0 ] || [ "$ran" -eq 0 ] || [ "$passed" -ne "$ran" ]; then
    verdict=Failed
    [ "$status" -eq 124 ] && verdict=Timeout
    if [ ${#failures[@]} -gt 0 ]; then
      for test in "${failures[@]}"; do failed_names+=("$name: $test"); done
    else
      # Crashed, timed out or ran nothing: the whole executable counts as one failure.
      failed_names+=("$name (exit status $status)")
      [ "$ran" -gt 0 ] || total=$((total + 1))
    fi
    echo "----- $name -----"
    tail -n 60 "$log"
    [ -z "${K7R2_WINE_KEEP_LOGS:-}" ] || cp "$log" "$K7R2_WINE_KEEP_LOGS/"
  fi
  printf '%2d/%d %-40s %-8s %7s sec  (%d of %d tests passed)\n' "$index" "${#programs[@]}" \
    "$name.exe" "$verdict" "$seconds" "$passed" "$ran"
done

failed=${#failed_names[@]}
if [ "$total" -gt 0 ]; then
  percent=$(((total - failed) * 100 / total))
else
  percent=0
fi
echo
echo "$percent% tests passed, $failed tests failed out of $total (under Wine)"
echo
echo "Total Test time (real) = $(elapsed "$start") sec"
if [ "$failed" -gt 0 ]; then
  echo
  echo "The following tests FAILED:"
  printf '\t%s\n' "${failed_names[@]}"
  exit 8
fi
