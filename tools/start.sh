#!/usr/bin/env bash
# Installs, builds, and starts the console beside a simulated module published as COM1.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
build_dir=${BUILD_DIR:-build}

port_dir=${K7R2_PORT_DIR:-$HOME/.config/k7r2/ports}
export K7R2_PORT_DIR=$port_dir
"$build_dir/sim/k7r2-sim" --port 1 --quiet &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -e "$port_dir/COM1" ] && break
  kill -0 "$sim" 2>/dev/null || { echo "start: the simulator did not start" >&2; exit 1; }
  sleep 0.05
done
"$build_dir/console/k7r2-console"
