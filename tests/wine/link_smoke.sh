#!/usr/bin/env bash
# The Win32 serial backend's real calls under Wine: starts the simulated module on a
# pseudo-terminal, maps Wine's COM1 to it, runs link_smoke.exe from a directory named 工作 and
# checks the files it wrote under 桌面 from this side too.
#   tests/wine/link_smoke.sh [WIN32_BUILD_DIR] [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win32=${1:-$root/build-win32}
native=${2:-$root/${BUILD_DIR:-build}}

work=$(mktemp -d)
export K7R2_PORT_DIR=$work/ports
sim=
cleanup() {
  if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

"$native/sim/k7r2-sim" --port 1 --quiet --no-pacing &
sim=$!
for _ in $(seq 200); do
  [ -L "$K7R2_PORT_DIR/COM1" ] && break
  kill -0 "$sim" 2>/dev/null || { echo "link_smoke: the simulator did not start" >&2; exit 1; }
  sleep 0.05
done
slave=$(readlink "$K7R2_PORT_DIR/COM1")

mkdir "$work/工作"
BUILD_DIR=${BUILD_DIR:-build} "$root/tools/wine-run.sh" --com 1="$slave" --cwd "$work/工作" \
  "$win32/tests/wine/link_smoke.exe"

# Names mangled by a narrow API would not be found under these UTF-8 names.
expected=$'1 28 11 22 33 44 55 66 77\r'
[ "$(cat "$work/工作/桌面/探头.txt")" = "$expected" ] ||
  { echo "link_smoke: 桌面/探头.txt is missing or wrong" >&2; exit 1; }
[ -s "$work/工作/桌面/K7R2_log.txt" ] ||
  { echo "link_smoke: 桌面/K7R2_log.txt is missing" >&2; exit 1; }
echo "link_smoke: passed under Wine"
