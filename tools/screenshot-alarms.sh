#!/usr/bin/env bash
# Takes docs/site-alarms.png: the site window with its alarms under Xvfb against a simulated bus
# of six modules, one silent (3), with a high limit the warmer probes cross; and the alarm list.
# Needs a build in build/ (or $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
display=${SCREENSHOT_DISPLAY:-:96}
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

"$build_dir/sim/k7r2-sim" --port 3 --addresses 1-6 --silent 3 --quiet &
sim=$!
for _ in $(seq 100); do [ -e "$K7R2_PORT_DIR/COM3" ] && break; sleep 0.05; done
"$build_dir/cli/k7r2" --port 3 site scan --addresses 1-6 --timeout 100 --name 一号粮库 \
  2>/dev/null | sed 's/period_ms = 5000/period_ms = 2000/; 0,/name = "模块1"/s//name = "3号仓"\n  [bus.module.channels]\n  "温度1" = "3号仓-B缆-2米"\n  "温度2" = "3号仓-B缆-4米"/' \
  | sed '0,/^\[\[bus\]\]/s//[alarms]\nhigh = 25.0\noffline_after = 2\n\n[[bus]]/' > "$work/site.toml"

(cd "$work" && exec "$OLDPWD/$build_dir/console/k7r2-console") &
console=$!
window=$(xdotool search --sync --onlyvisible --name 'QEV-K7R2')
sleep 1
# 视图 > 站点 by its access keys, then 打开… and the file's path typed into the file dialog.
xdotool key --window "$window" alt+v
sleep 0.5
xdotool key s
site=$(xdotool search --sync --onlyvisible --name '站点监视' | head -n 1)
xdotool windowmove "$site" 0 0
sleep 0.5
# The 报警 menu bar sits above the template's controls: they keep their places below it.
bar=${MENU_BAR_PX:-24}
# Buttons at dialog units (291,7) 打开… and (7,26) 开始, 58 x 14: 1.5 px a unit at 96 DPI.
xdotool mousemove --window "$site" 480 $((21 + bar)) click 1
sleep 1.5
xdotool type --delay 20 "$work/site.toml"
xdotool key Return
sleep 1
xdotool mousemove --window "$site" 54 $((49 + bar)) click 1
sleep 6
mkdir -p docs
import -window "$site" docs/site-alarms.png
# 报警 > 报警列表 by its access keys.
xdotool key --window "$site" alt+a
sleep 0.5
xdotool key l
list=$(xdotool search --sync --onlyvisible --name '^报警$' | head -n 1)
xdotool windowmove "$list" 0 0
sleep 1
import -window "$list" docs/alarm-list.png
echo "screenshots: docs/site-alarms.png docs/alarm-list.png"
