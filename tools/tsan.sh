#!/usr/bin/env bash
# Builds the threaded tests (window, dialog layer, simulator, PT100 dialog over acquisition)
# with ThreadSanitizer into build-tsan/ and runs them; any race report fails the run. Line
# tables (-g1) are all the reports need. A unity build: a batch of sources shares one parse of
# the Qt and GoogleTest headers, which is most of the compile time.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${TSAN_BUILD_DIR:-build-tsan}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DK7R2_BENCH=OFF \
  -DCMAKE_UNITY_BUILD=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
targets=(console_tests ui_tests sim_tests pt100_tests plant_tests bus_tests k7r2)
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 suppressions=$PWD/tests/tsan.supp"
for t in "$build_dir/tests/console/console_tests" "$build_dir/tests/ui/ui_tests" \
         "$build_dir/tests/sim/sim_tests" "$build_dir/tests/pt100/pt100_tests" \
         "$build_dir/tests/plant/plant_tests" "$build_dir/tests/bus/bus_tests"; do
  echo "== $(basename "$t") under ThreadSanitizer"
  "$t" --gtest_brief=1
done
