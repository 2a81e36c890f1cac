#!/usr/bin/env bash
# Installs, builds and runs every test: the unit, serial and GUI tests, the threaded tests under
# ThreadSanitizer, and a cross build of the Win32 serial backend.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
build_dir=${BUILD_DIR:-build}

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 300

tools/tsan.sh
tools/build-win32-link.sh
