#!/usr/bin/env bash
# CPU of the console window's continuous acquisition at 600 ms, Windows build under Wine beside
# the Linux build, in one run, against a healthy module (64 probes) and a silent one. On Linux
# the console runs on Xvfb and xdotool types the period and clicks "连续采集"; under Wine
# tests/wine/console_acquire.exe does the same through window messages. For Wine the figure is
# every process of the private prefix (the console, wineserver, Wine's services and the virtual
# desktop), and the console's own share beside it.
#   bench/wine_console_cpu.sh [SECONDS] [BUILD_WIN32] [BUILD_NATIVE]
# Prints one line per case: platform, module, CPU % of one core over SECONDS (default 60),
# measured after a 5 s start-up.
set -euo pipefail
if [ -z "${K7R2_BENCH_XVFB:-}" ]; then
  K7R2_BENCH_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
win32=$(realpath "${2:-$root/build-win32}")
native=$(realpath "${3:-$root/build}")
export LC_ALL=C.UTF-8 BUILD_DIR=$native
cmake --build "$win32" --target console_acquire k7r2-console >/dev/null
cmake --build "$native" --target k7r2-console k7r2-sim >/dev/null
work=$(mktemp -d)
export WINE_PREFIX_DIR=$work/prefix
sim='' runner=''
cleanup() {
  for pid in "$runner" "$sim"; do
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

# Nanoseconds on a CPU of the given processes' threads (the scheduler's own account).
cpu_ns_of() {
  local pid
  for pid in "$@"; do cat /proc/"$pid"/task/*/schedstat 2>/dev/null || true; done |
    awk '{ total += $1 } END { printf "%d\n", total }'
}
# The processes of our Wine prefix; the rest of the machine's Wine is not ours to count.
wine_pids() {
  grep -lszxF "WINEPREFIX=$WINE_PREFIX_DIR" /proc/[0-9]*/environ | cut -d/ -f3
}
program_pids() {
  local pid
  for pid in $(wine_pids); do
    grep -qaF k7r2-console.exe "/proc/$pid/cmdline" 2>/dev/null && echo "$pid"
  done
}

start_sim() {
  rm -rf "$work/ports"
  mkdir -p "$work/ports"
  K7R2_PORT_DIR=$work/ports "$native/sim/k7r2-sim" --port 1 --probes 64 "$@" >"$work/sim.out" &
  sim=$!
  for _ in $(seq 200); do [ -L "$work/ports/COM1" ] && return 0; sleep 0.05; done
  echo "wine_console_cpu: the simulator did not start" >&2
  exit 1
}
stop_sim() { kill "$sim"; wait "$sim" 2>/dev/null || true; sim=''; }

# The Linux console: its window on our Xvfb, the period typed in, the button clicked.
start_linux_console() {
  mkdir -p "$work/start" "$work/runtime"
  chmod 700 "$work/runtime"
  (cd "$work/start" && K7R2_PORT_DIR=$work/ports XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb \
    exec "$native/console/k7r2-console") >/dev/null 2>&1 &
  runner=$!
  local window
  window=$(timeout 20 xdotool search --sync --onlyvisible --name 'QEV-K7R2' | head -n 1)
  [ -n "$window" ] || { echo "wine_console_cpu: no Linux console window" >&2; exit 1; }
  # Controls in dialog units at 1.5 px a unit, below the menu bar (what the window has beyond
  # the template's 551 px): the period field at 50,100 (26 x 12), "连续采集" at 257,100 (37 x 12).
  local height top
  height=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^HEIGHT=//p')
  top=$((height - 551))
  xdotool mousemove --window "$window" 94 $((159 + top)) click 1 key ctrl+a type 600
  xdotool mousemove --window "$window" 413 $((159 + top)) click 1
}

# A first run makes the prefix, so that its making is not measured.
"$root/tools/wine-run.sh" "$win32/cli/k7r2.exe" --help >/dev/null

measure() {
  local platform=$1 module=$2 before after own_before own_after pids own
  shift 2
  start_sim "$@"
  if [ "$platform" = Linux ]; then
    start_linux_console
  else
    WINE_TIMEOUT=$((seconds + 60)) "$root/tools/wine-run.sh" --x11 --com 1="$(readlink "$work/ports/COM1")" \
      --cwd "$work" "$win32/tests/wine/console_acquire.exe" 600 $((seconds + 10)) >/dev/null 2>&1 &
    runner=$!
  fi
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
  # The block requests the module saw tell that acquisition really ran.
  awk -v p="$platform" -v m="$module" -v all=$((after - before)) -v own=$((own_after - own_before)) \
    -v s="$seconds" -v n="$(grep -c '^rx 14 3f 00 00 0b ' "$work/sim.out" || true)" \
    'BEGIN { printf "%-6s %-8s %7.3f %% of a core (the console itself %.3f %%), %d block requests\n",
             p, m, all / 1e7 / s, own / 1e7 / s, n }'
  if [ "$platform" = Linux ]; then
    kill "$runner" 2>/dev/null || true
  else
    timeout 30 env WINEPREFIX="$WINE_PREFIX_DIR" wineserver -k >/dev/null 2>&1 || true
  fi
  wait "$runner" 2>/dev/null || true
  runner=''
  stop_sim
}

measure Linux healthy
measure Wine healthy
measure Linux silent --fault silence:every
measure Wine silent --fault silence:every
