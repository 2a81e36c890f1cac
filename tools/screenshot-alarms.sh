#!/usr/bin/env bash
# Takes docs/site-alarms.png: the site window with its alarms under Xvfb against a simulated bus
# of six modules, one silent (3), with a high limit the warmer probes cross; and the alarm list.
# Needs a build in build/ (or $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
display=${SCREENSHOT_DISPLAY:-:96}
source tools/screenshot-lib.sh

start_sim 3 --addresses 1-6 --silent 3
"$build_dir/cli/k7r2" --port 3 site scan --addresses 1-6 --timeout 100 --name 一号粮库 \
  2>/dev/null | sed 's/period_ms = 5000/period_ms = 2000/; 0,/name = "模块1"/s//name = "3号仓"\n  [bus.module.channels]\n  "温度1" = "3号仓-B缆-2米"\n  "温度2" = "3号仓-B缆-4米"/' \
  | sed '0,/^\[\[bus\]\]/s//[alarms]\nhigh = 25.0\noffline_after = 2\n\n[[bus]]/' > "$work/site.toml"

start_console
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
