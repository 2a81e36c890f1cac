#!/usr/bin/env bash
# Takes the README's screenshots of the main window under Xvfb, against the simulated module:
# docs/main-window.png as it opens, docs/live-readings.png after a few seconds of continuous
# acquisition, docs/trend-window.png after a minute more with the trend window open.
# Needs a build in build/ (or $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
display=${SCREENSHOT_DISPLAY:-:97}
source tools/screenshot-lib.sh

start_sim 1

start_console
mkdir -p docs
import -window "$window" docs/main-window.png

# "连续采集" sits at 257,100 (37 x 12) in dialog units: 1.5 px per unit at 96 DPI, below the
# menu bar, whose height is what the window has beyond the template's 551 px.
height=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^HEIGHT=//p')
xdotool mousemove --window "$window" 413 $((159 + height - 551)) click 1
sleep 4.5
import -window "$window" docs/live-readings.png

# 视图 > 趋势图 by its access keys; the span 1 分钟 after a minute of readings.
xdotool key --window "$window" alt+v
sleep 0.5
xdotool key g
trend=$(xdotool search --sync --onlyvisible --name '温度趋势' | head -n 1)
xdotool windowmove "$trend" 0 0
sleep 60
xdotool mousemove --window "$trend" 60 21 click 1  # 跨度 "1 分钟", top left
sleep 0.5
import -window "$trend" docs/trend-window.png
echo "screenshots: docs/main-window.png docs/live-readings.png docs/trend-window.png"
