#!/bin/sh
# Compiles the module link and recording libraries and k7r2.exe for Windows, so that their
# Win32 backends keep building, and the Windows program that tests/wine/link_smoke.sh runs
# under Wine. CLI11 and nlohmann-json are header-only: the build machine's headers serve.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
cmake -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/tools/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DK7R2_LINK_ONLY=ON -DK7R2_TESTS=OFF
cmake --build "$build" --target k7r2_link k7r2_record link_smoke k7r2 -j2
