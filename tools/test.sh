#!/usr/bin/env bash
# Installs, builds and runs every test: the Win32 build (programs, Win32 tests, installer) with
# its runs under Wine against the simulator and a silent install, start and uninstall, the
# threaded tests under ThreadSanitizer, the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the whole suite (unit, serial, GUI and process tests).
set -euo pipefail
cd "$(dirname "$0")/.."

# Each step's wall time, summed up at the end (also after a failure), so that a slow step shows.
timings=()
timed() {  # timed LABEL COMMAND...
  local start=$SECONDS
  "${@:2}"
  timings+=("$1 $((SECONDS - start)) s")
}
# Steps that mostly wait (Wine and its serial lines; the native suite on pseudo-terminals and
# processes) run beside a sanitizer build, which keeps both cores busy meanwhile. Each writes to
# a log of its own, shown when it has ended; a failure fails the run once the build beside it
# is done.
logs=$(mktemp -d)
beside_pid=
trap '[ -z "$beside_pid" ] || kill "$beside_pid" 2>/dev/null; rm -rf "$logs"
      printf "test.sh: %s\n" "${timings[@]}" "total $SECONDS s" >&2' EXIT

timed install-deps tools/install-deps.sh
build_dir=${BUILD_DIR:-build}
# A build directory made here carries line tables (-g1), which compile a quarter faster than
# -g, and is a unity build (a batch of sources shares one parse of the Qt and GoogleTest
# headers: half the compile time); one configured before (by tools/start.sh or tools/build.sh)
# keeps its flags and build.
native_args=()
[ -f "$build_dir/CMakeCache.txt" ] ||
  native_args=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_UNITY_BUILD=ON)
timed build tools/build.sh "${native_args[@]}"

timed build-win32 tools/build-win32.sh

beside() {  # beside LABEL COMMAND...: starts COMMAND in the background
  local label=$1
  shift
  ( start=$SECONDS; status=0; "$@" >"$logs/$label.log" 2>&1 || status=$?
    echo "$((SECONDS - start))" >"$logs/$label.seconds"; exit "$status" ) &
  beside_pid=$!
  beside_label=$label
}
joined() {  # waits for the step started by `beside`, shows its log, fails with it
  local status=0
  wait "$beside_pid" || status=$?
  beside_pid=
  cat "$logs/$beside_label.log"
  timings+=("$beside_label $(cat "$logs/$beside_label.seconds" 2>/dev/null || echo '?') s (beside)")
  if [ "$status" -ne 0 ]; then
    echo "test.sh: $beside_label failed (status $status)" >&2
    exit "$status"
  fi
}
wine_runs() {
  timeout -k 10 600 tests/wine/link_smoke.sh "$PWD/build-win32" "$PWD/$build_dir" &&
    timeout -k 10 600 tests/wine/k7r2_wine.sh "$PWD/build-win32" "$PWD/$build_dir" &&
    timeout -k 10 1800 tests/wine/run_gtests.sh "$PWD/build-win32" "$PWD/$build_dir" &&
    timeout -k 10 600 tests/wine/installer_test.sh "$PWD/build-win32" "$PWD/$build_dir"
}
beside wine wine_runs
timed tsan tools/tsan.sh
joined

# Most of the suite waits on a pseudo-terminal or a process rather than computing, so it runs
# two tests a core.
beside ctest env QT_QPA_PLATFORM=offscreen \
  ctest --test-dir "$build_dir" --output-on-failure -j "$((2 * $(nproc)))" --timeout 300
timed asan tools/asan.sh
joined
