#!/usr/bin/env bash
# The real console, its window closed while continuous acquisition waits on a silent module,
# must end at once with status 0: the worker is detached and must neither hold the process
# open nor crash it on the way out.
#
# Usage: close_while_acquiring.sh <k7r2-console> <k7r2-sim>
# Exits 0 on success, 1 on failure, 77 (skip) when Xvfb or xdotool is missing.
set -uo pipefail

console_exe=${1:?usage: $0 <k7r2-console> <k7r2-sim>}
sim_exe=${2:?usage: $0 <k7r2-console> <k7r2-sim>}
exit_budget_ms=500
# Deadlines for things that normally take a fraction of a second.
startup_deadline_s=10
request_deadline_s=5
# A console still running this long after the close is hung; it is then dumped and killed.
hang_deadline_s=5
# The worker waits 3 s for the reply's header; the close must land well inside that wait.
silent_wait_ms=3000

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool not installed (tools/install-deps.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/k7r2-close-XXXXXX")
mkdir -p "$work/ports" "$work/start" "$work/runtime"
chmod 700 "$work/runtime"
xvfb_pid='' sim_pid='' console_pid='' watchdog_pid=''

cleanup() {
  # Only the script itself cleans up: a subshell that exits (the watchdog, ended by TERM) may
  # run this trap too, and must not remove the files the script is still checking.
  [ "$BASHPID" = "$$" ] || return 0
  for pid in "$watchdog_pid" "$console_pid" "$sim_pid" "$xvfb_pid"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
  done
  for pid in "$watchdog_pid" "$console_pid" "$sim_pid" "$xvfb_pid"; do
    [ -n "$pid" ] && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

now_ms() {
  local t=${EPOCHREALTIME/[.,]/}
  echo $((t / 1000))
}

show() {
  local file=$1
  echo "--- $file"
  if [ -s "$work/$file" ]; then sed 's/^/    /' "$work/$file"; else echo "    (empty)"; fi
}

fail() {
  echo "FAIL: $*"
  show sim.out
  show console.out
  show xdotool.err
  show xvfb.log
  [ -s "$work/backtrace.txt" ] && show backtrace.txt
  exit 1
}

# Polls a condition until it holds or the deadline (seconds) passes.
wait_for() {
  local deadline_s=$1
  shift
  local end=$(($(now_ms) + deadline_s * 1000))
  until "$@"; do
    [ "$(now_ms)" -ge "$end" ] && return 1
    sleep 0.02
  done
}

# A display of our own: Xvfb picks a free number, writes it once it accepts connections.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for "$startup_deadline_s" test -s "$work/display" || fail "Xvfb announced no display"
export DISPLAY=:$(head -n 1 "$work/display")
export K7R2_PORT_DIR=$work/ports
export XDG_RUNTIME_DIR=$work/runtime
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

"$sim_exe" --port 1 --fault silence:every >"$work/sim.out" 2>&1 &
sim_pid=$!
wait_for "$startup_deadline_s" test -e "$work/ports/COM1" || fail "the simulator did not publish COM1"

(cd "$work/start" && exec "$console_exe") >"$work/console.out" 2>&1 &
console_pid=$!
window=$(timeout "$startup_deadline_s" xdotool search --sync --onlyvisible --name 'QEV-K7R2' \
  2>>"$work/xdotool.err" | head -n 1)
[ -n "$window" ] || fail "no visible QEV-K7R2 window within ${startup_deadline_s} s"

# "连续采集" (1010) sits at 257,100, 37 x 12 dialog units; 1.5 px a unit at 96 DPI, below the
# menu bar, whose height is what the window has beyond the template's 551 px.
height=$(xdotool getwindowgeometry --shell "$window" 2>>"$work/xdotool.err" | sed -n 's/^HEIGHT=//p')
[ -n "$height" ] || fail "could not read the window's height"
xdotool mousemove --window "$window" 413 $((159 + height - 551)) click 1 2>>"$work/xdotool.err" ||
  fail "could not click button 1010"

block_requested() { grep -q '^rx 14 3f 00 00 0b ' "$work/sim.out"; }
wait_for "$request_deadline_s" block_requested ||
  fail "the simulator saw no temperature-block request within ${request_deadline_s} s"
requested_ms=$(now_ms)

# Close as a user would. The key release may find the window already gone; that is fine.
closed_ms=$(now_ms)
xdotool key --window "$window" Escape 2>>"$work/xdotool.err"

# Bounded wait: past the deadline the watchdog records the threads' stacks and kills the console,
# so `wait` below always returns.
# Its sleep is ended with it and its output kept off ours, so that it holds nothing open.
(
  trap - EXIT INT
  trap 'kill "$nap" 2>/dev/null; exit 0' TERM
  sleep "$hang_deadline_s" &
  nap=$!
  wait "$nap"
  if kill -0 "$console_pid" 2>/dev/null; then
    command -v gdb >/dev/null &&
      timeout 20 gdb -p "$console_pid" -batch -ex 'thread apply all bt' >"$work/backtrace.txt" 2>&1
    kill -KILL "$console_pid" 2>/dev/null
  fi
) </dev/null >/dev/null 2>&1 &
watchdog_pid=$!
wait "$console_pid"
status=$?
exited_ms=$(now_ms)
console_pid_done=$console_pid
console_pid=''
kill "$watchdog_pid" 2>/dev/null
wait "$watchdog_pid" 2>/dev/null
watchdog_pid=''

elapsed=$((exited_ms - closed_ms))
echo "close sent $((closed_ms - requested_ms)) ms after the block request was seen;" \
  "console exited with status $status after $elapsed ms"

[ "$elapsed" -lt $((hang_deadline_s * 1000)) ] ||
  fail "the console hung after the close and was killed"
[ "$status" -lt 128 ] || fail "the console died of signal $((status - 128))"
[ "$status" -eq 0 ] || fail "the console exited with status $status"
[ "$elapsed" -le "$exit_budget_ms" ] || fail "the console took $elapsed ms to exit (budget ${exit_budget_ms} ms)"
! kill -0 "$console_pid_done" 2>/dev/null || fail "the console is still running"

# The close must have found the worker in its silent wait: the module got the request and never
# answered, the close came well inside the worker's wait, and no failed reading was logged.
[ "$(grep -c '^rx 14 3f 00 00 0b ' "$work/sim.out")" -eq 1 ] ||
  fail "expected exactly one temperature-block request"
! grep -q '^tx ' "$work/sim.out" || fail "the simulator answered although silenced"
[ $((closed_ms - requested_ms)) -lt $((silent_wait_ms / 2)) ] ||
  fail "the close came too late to find the worker still waiting"
[ ! -e "$work/start/K7R2_log.txt" ] || fail "the worker's wait had already ended in a failure record"

echo "PASS"
exit 0
