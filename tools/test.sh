#!/usr/bin/env bash
# Installs, builds and runs every test: the Win32 build (programs, Win32 tests, installer) with
# its runs under Wine against the simulator and a silent install, start and uninstall, the
# threaded tests under ThreadSanitizer, the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the whole suite (unit, serial, GUI and process tests).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
build_dir=${BUILD_DIR:-build}
# A build directory made here carries line tables (-g1), which compile a quarter faster than
# -g; one configured before (by tools/start.sh or tools/build.sh) keeps its flags and build.
native_args=()
[ -f "$build_dir/CMakeCache.txt" ] || native_args=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
tools/build.sh "${native_args[@]}"

tools/build-win32.sh
timeout -k 10 600 tests/wine/link_smoke.sh "$PWD/build-win32" "$PWD/$build_dir"
timeout -k 10 600 tests/wine/k7r2_wine.sh "$PWD/build-win32" "$PWD/$build_dir"
timeout -k 10 1800 tests/wine/run_gtests.sh "$PWD/build-win32" "$PWD/$build_dir"
timeout -k 10 600 tests/wine/installer_test.sh "$PWD/build-win32" "$PWD/$build_dir"
tools/tsan.sh
tools/asan.sh

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 300
