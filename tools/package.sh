#!/usr/bin/env bash
# Builds the Debian package build/k7r2-console_<version>-<revision>_<arch>.deb (or in $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
cmake --build "$build_dir" -j "$(nproc)" --target k7r2-console k7r2 k7r2-sim k7r2_icon_png k7r2_package_docs
(cd "$build_dir" && cpack -G DEB --config CPackConfig.cmake)
ls "$build_dir"/k7r2-console_*.deb
