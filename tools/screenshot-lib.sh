# Shared by the screenshot scripts (sourced, not run): a private X server and port directory,
# cleaned up on exit, and helpers to start the simulator and the console in them.
# Set before sourcing: display (an X display number such as :97).
build_dir=${BUILD_DIR:-build}
work=$(mktemp -d)
export K7R2_PORT_DIR=$work/ports

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  kill "${console:-}" "${sim:-}" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done

# start_sim PORT [SIM OPTIONS...]: the simulator on COM<PORT>, waited for; sets $sim.
start_sim() {
  local port=$1
  shift
  "$build_dir/sim/k7r2-sim" --port "$port" --quiet "$@" &
  sim=$!
  for _ in $(seq 100); do [ -e "$K7R2_PORT_DIR/COM$port" ] && break; sleep 0.05; done
}

# start_console: the console with the work folder as its start directory; sets $console and
# $window (the main window's X id).
start_console() {
  (cd "$work" && exec "$OLDPWD/$build_dir/console/k7r2-console") &
  console=$!
  window=$(xdotool search --sync --onlyvisible --name 'QEV-K7R2')
  sleep 1
}
