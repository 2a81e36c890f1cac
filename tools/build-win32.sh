#!/usr/bin/env bash
# Cross-builds the Windows programs into build-win32/ (or $BUILD_WIN32_DIR) with MinGW-w64:
# cli/k7r2.exe, console/k7r2-console.exe when the dialog layer has its Win32 backend, the Win32
# test executables under tests/, and the NSIS installer k7r2-setup-<version>.exe.
#   tools/build-win32.sh [EXTRA CMAKE ARGUMENTS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_WIN32_DIR:-$root/build-win32}
case $build in /*) ;; *) build=$root/$build ;; esac

# Until the dialog layer has a Win32 backend, the cross build is the link, the recording and
# k7r2.exe only.
link_only=ON
[ -d "$root/ui/win32" ] && link_only=OFF

generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then generator=(-G Ninja); fi
# A unity build: a batch of sources shares one parse of the standard, GoogleTest and CLI11
# headers, which halves the compile time.
cmake -S "$root" -B "$build" "${generator[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$root/tools/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON \
  -DK7R2_LINK_ONLY=$link_only -DK7R2_TESTS=ON "$@"

# What this configuration has of the programs, the Wine smoke test and every *_test(s) target.
mapfile -t available < <(cmake --build "$build" --target help |
  sed -n 's/^\(\.\.\. \)\?\([A-Za-z0-9_-]*\)\(:.*\)\?$/\2/p')
targets=()
for target in "${available[@]}"; do
  case $target in
    k7r2 | k7r2-console | link_smoke | *_test | *_tests) targets+=("$target") ;;
  esac
done
cmake --build "$build" --target "${targets[@]}" -j2
# Last, as it packs what was just built; without makensis there is no installer target.
case " ${available[*]} " in
  *" installer "*)
    cmake --build "$build" --target installer -j2
    echo "build-win32: $(cd "$build" && ls k7r2-setup-*.exe)" ;;
  *) echo "build-win32: no makensis, so no installer (tools/install-deps.sh installs nsis)" >&2 ;;
esac
