#!/usr/bin/env bash
# CPU of continuous acquisition at 600 ms, Windows build under Wine beside the Linux build, in one
# run: `k7r2 watch --period 600` against a healthy module (64 probes) and a silent one. For the
# Wine runs the figure is every process of the private prefix (the program, wineserver and
# Wine's own services), as a Windows operator's machine would carry the program alone.
#   bench/wine_watch.sh [SECONDS] [BUILD_WIN32] [BUILD_NATIVE]
# Prints one line per case: platform, module, CPU % of one core over SECONDS (default 60),
# measured after a 5 s start-up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
win32=$(realpath "${2:-$root/build-win32}")
native=$(realpath "${3:-$root/build}")
export LC_ALL=C.UTF-8 BUILD_DIR=$native
work=$(mktemp -d)
export WINE_PREFIX_DIR=$work/prefix
sim=
cleanup() {
  if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Nanoseconds on a CPU of the given processes' threads (the scheduler's own account, finer
# than the tick-based user and system times).
cpu_ns_of() {
  local pid
  for pid in "$@"; do cat /proc/"$pid"/task/*/schedstat 2>/dev/null || true; done |
    awk '{ total += $1 } END { printf "%d\n", total }'
}
# The processes of our Wine prefix; the rest of the machine's Wine is not ours to count.
wine_pids() {
  grep -lszxF "WINEPREFIX=$WINE_PREFIX_DIR" /proc/[0-9]*/environ | cut -d/ -f3
}
# Of those, the program's own.
program_pids() {
  local pid
  for pid in $(wine_pids); do
    grep -qaF k7r2.exe "/proc/$pid/cmdline" 2>/dev/null && echo "$pid"
  done
}

start_sim() {
  rm -rf "$work/ports"
  mkdir -p "$work/ports"
  K7R2_PORT_DIR=$work/ports "$native/sim/k7r2-sim" --port 1 --quiet --probes 64 "$@" >/dev/null &
  sim=$!
  for _ in $(seq 200); do [ -L "$work/ports/COM1" ] && return 0; sleep 0.05; done
  echo "wine_watch: the simulator did not start" >&2
  exit 1
}
stop_sim() { kill "$sim"; wait "$sim" 2>/dev/null || true; sim=; }

# A first run makes the prefix, so that its making is not measured.
"$root/tools/wine-run.sh" "$win32/cli/k7r2.exe" --help >/dev/null

measure() {
  local platform=$1 module=$2 before after own_before own_after pids own runner
  shift 2
  start_sim "$@"
  local slave
  slave=$(readlink "$work/ports/COM1")
  if [ "$platform" = Linux ]; then
    K7R2_PORT_DIR=$work/ports "$native/cli/k7r2" --port 1 watch --period 600 --csv "$work/out.csv" \
      >/dev/null 2>&1 &
  else
    WINE_TIMEOUT=$((seconds + 30)) "$root/tools/wine-run.sh" --com 1="$slave" --cwd "$work" \
      "$win32/cli/k7r2.exe" --port 1 watch --period 600 --csv out.csv >/dev/null 2>&1 &
  fi
  runner=$!
  sleep 5
  if [ "$platform" = Linux ]; then
    pids=("$runner")
    own=("$runner")
  else
    mapfile -t pids < <(wine_pids)
    mapfile -t own < <(program_pids)
  fi
  before=$(cpu_ns_of "${pids[@]}")
  own_before=$(cpu_ns_of "${own[@]}")
  sleep "$seconds"
  after=$(cpu_ns_of "${pids[@]}")
  own_after=$(cpu_ns_of "${own[@]}")
  awk -v p="$platform" -v m="$module" -v all=$((after - before)) -v own=$((own_after - own_before)) \
    -v s="$seconds" 'BEGIN { printf "%-6s %-8s %7.3f %% of a core (the program itself %.3f %%)\n",
                             p, m, all / 1e7 / s, own / 1e7 / s }'
  if [ "$platform" = Linux ]; then
    kill -INT "$runner" 2>/dev/null || true
  else
    timeout 30 env WINEPREFIX="$WINE_PREFIX_DIR" wineserver -k >/dev/null 2>&1 || true
  fi
  wait "$runner" 2>/dev/null || true
  stop_sim
}

measure Linux healthy
measure Wine healthy
measure Linux silent --fault silence:every
measure Wine silent --fault silence:every
