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
trap 'printf "test.sh: %s\n" "${timings[@]}" "total $SECONDS s" >&2' EXIT

timed install-deps tools/install-deps.sh
build_dir=${BUILD_DIR:-build}
# A build directory made here carries line tables (-g1), which compile a quarter faster than
# -g; one configured before (by tools/start.sh or tools/build.sh) keeps its flags and build.
native_args=()
[ -f "$build_dir/CMakeCache.txt" ] || native_args=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
timed build tools/build.sh "${native_args[@]}"

timed build-win32 tools/build-win32.sh
timed link_smoke timeout -k 10 600 tests/wine/link_smoke.sh "$PWD/build-win32" "$PWD/$build_dir"
timed k7r2_wine timeout -k 10 600 tests/wine/k7r2_wine.sh "$PWD/build-win32" "$PWD/$build_dir"
timed run_gtests timeout -k 10 1800 tests/wine/run_gtests.sh "$PWD/build-win32" "$PWD/$build_dir"
timed installer_test timeout -k 10 600 tests/wine/installer_test.sh "$PWD/build-win32" "$PWD/$build_dir"
timed tsan tools/tsan.sh
timed asan tools/asan.sh

export QT_QPA_PLATFORM=offscreen
# Most of the suite waits on a pseudo-terminal or a process rather than computing, so it runs
# two tests a core.
timed ctest ctest --test-dir "$build_dir" --output-on-failure -j "$((2 * $(nproc)))" --timeout 300
