#!/usr/bin/env bash
# k7r2.exe under Wine against the Linux k7r2: two simulated modules start alike (frozen
# temperatures, so that both read the same), one answers the Linux build and one, as Wine's
# COM1, the Windows build. Both run the same commands, the registration file under 桌面 (a
# Chinese path); their outputs, frame traces and exit statuses, and the frames each module
# received and sent, must agree byte for byte.
#   tests/wine/k7r2_wine.sh [WIN32_BUILD_DIR] [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win32=${1:-$root/build-win32}
native=${2:-$root/${BUILD_DIR:-build}}
export BUILD_DIR=${BUILD_DIR:-build}
# Wine decodes the Unix side's arguments in the locale's character set.
export LC_ALL=C.UTF-8

work=$(mktemp -d)
sims=()
cleanup() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "k7r2_wine: $*" >&2; exit 1; }

# start_sim SIDE: a module publishing COM1 in $work/SIDE/ports, its trace in $work/SIDE/sim.txt.
start_sim() {
  local side=$1
  mkdir -p "$work/$side/ports" "$work/$side/桌面"
  K7R2_PORT_DIR=$work/$side/ports "$native/sim/k7r2-sim" --port 1 --no-pacing --frozen \
    >"$work/$side/sim.txt" &
  sims+=($!)
  for _ in $(seq 200); do
    [ -L "$work/$side/ports/COM1" ] && return 0
    kill -0 "${sims[-1]}" 2>/dev/null || fail "the simulator did not start"
    sleep 0.05
  done
  fail "the simulator published no COM1"
}

start_sim linux
start_sim wine
slave=$(readlink "$work/wine/ports/COM1")

# Channels 7 and 9 get new probes; a line the module refuses (first byte not 0x28) ends the run.
table=$'07:28-FF-4A-00-01-02-03-C9\r\n09:28-01-02-03-04-05-06-07\r\n'
printf '%s' "$table" >"$work/linux/桌面/探头.txt"
printf '%s' "$table" >"$work/wine/桌面/探头.txt"

steps=("read" "sn read 5" "register file" "sn read 7" "sn read 9")
mapped=
for index in "${!steps[@]}"; do
  read -r -a words <<<"${steps[$index]}"
  linux_args=(--port 1 --trace "${words[@]}")
  wine_args=(--port 1 --trace "${words[@]}")
  if [ "${words[*]}" = "register file" ]; then
    linux_args+=("桌面/探头.txt")
    wine_args+=('桌面\探头.txt')
  fi

  status=0
  (cd "$work/linux" && K7R2_PORT_DIR=$work/linux/ports \
    timeout -k 5 30 "$native/cli/k7r2" "${linux_args[@]}" >"out.$index" 2>"err.$index") ||
    status=$?
  echo "$status" >"$work/linux/status.$index"

  # Only the first run maps COM1; the mapping stays in the prefix's registry.
  com=()
  [ -n "$mapped" ] || com=(--com 1="$slave")
  mapped=yes
  status=0
  "$root/tools/wine-run.sh" "${com[@]}" --cwd "$work/wine" "$win32/cli/k7r2.exe" \
    "${wine_args[@]}" >"$work/wine/out.$index" 2>"$work/wine/err.$index" || status=$?
  [ "$status" -ne 124 ] || fail "k7r2.exe ${steps[$index]} timed out"
  echo "$status" >"$work/wine/status.$index"

  for part in out err status; do
    if ! cmp -s "$work/linux/$part.$index" "$work/wine/$part.$index"; then
      echo "k7r2_wine: '${steps[$index]}' differs in its $part (Linux, then Wine):" >&2
      cat -A "$work/linux/$part.$index" >&2
      cat -A "$work/wine/$part.$index" >&2
      echo "k7r2_wine: Wine's exit status $(cat "$work/wine/status.$index"), its stderr:" >&2
      cat "$work/wine/err.$index" >&2
      exit 1
    fi
  done
  [ "$(cat "$work/linux/status.$index")" = 0 ] ||
    fail "'${steps[$index]}' failed on Linux too: $(cat "$work/linux/err.$index")"
done

grep -q '注册成功' "$work/wine/out.2" || fail "the registration file registered nothing"
[ "$(cat "$work/wine/out.3")" = "07:28-FF-4A-00-01-02-03-C9" ] ||
  fail "channel 7 does not hold the file's probe"

# What each module received and sent, frame by frame (its own start-up lines aside).
grep -v -E '^(slave|published|stopped)' "$work/linux/sim.txt" >"$work/linux/frames.txt" || true
grep -v -E '^(slave|published|stopped)' "$work/wine/sim.txt" >"$work/wine/frames.txt" || true
[ -s "$work/linux/frames.txt" ] || fail "the simulator traced no frames"
cmp -s "$work/linux/frames.txt" "$work/wine/frames.txt" ||
  { diff "$work/linux/frames.txt" "$work/wine/frames.txt" >&2; fail "the modules saw different frames"; }
echo "k7r2_wine: read, sn read and register file agree byte for byte under Wine"
