#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix, with Wine's COM ports mapped to given
# devices (for instance the simulator's pseudo-terminal):
#
#   tools/wine-run.sh [--com N=DEVICE]... [--cwd DIR] [--wait-all] [--x11] PROGRAM.exe [ARGS...]
#
# --x11 keeps $DISPLAY (for a window program, under xvfb-run); without it Wine sees no display.
# --wait-all also waits for the processes the program left running (an uninstaller that runs
# a copy of itself from the temporary folder), within the same timeout.
#
# The prefix lives in $WINE_PREFIX_DIR (default build/wine-prefix) and is made once, under
# Xvfb, without a desktop, menu entries, or the Mono and Gecko downloads. Every Wine step has a
# timeout ($WINE_TIMEOUT seconds for the program, default 60); runs on one prefix take turns.
# Exits with the program's status, or 124 when a step timed out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
prefix=${WINE_PREFIX_DIR:-$build/wine-prefix}
run_timeout=${WINE_TIMEOUT:-60}

maps=()
cwd=$PWD
wait_all=
x11=
while [ $# -gt 0 ]; do
  case $1 in
    --com) maps+=("$2"); shift 2 ;;
    --cwd) cwd=$2; shift 2 ;;
    --wait-all) wait_all=yes; shift ;;
    --x11) x11=yes; shift ;;
    --) shift; break ;;
    -*) echo "wine-run: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || { echo "usage: $0 [--com N=DEVICE]... [--cwd DIR] [--wait-all] [--x11] PROGRAM.exe [ARGS...]" >&2; exit 2; }
program=$(realpath "$1")
shift

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
display=${DISPLAY:-}
unset DISPLAY WAYLAND_DISPLAY

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock -w 600 9 || { echo "wine-run: $prefix is busy" >&2; exit 124; }

stop_server() { timeout 30 wineserver -k >/dev/null 2>&1 || true; }
trap stop_server EXIT

if [ ! -f "$prefix/system.reg" ]; then
  # Without any X display a first start can hang for minutes.
  if ! timeout 300 xvfb-run -a wineboot -i >/dev/null 2>&1; then
    echo "wine-run: making the Wine prefix failed or timed out" >&2
    rm -rf "$prefix"
    exit 124
  fi
  timeout 60 wineserver -w || true
fi
if [ ! -f "$prefix/k7r2-fonts.done" ]; then
  # The dialogs' face (宋体, SimSun) is not in a fresh prefix: Chinese texts then render as
  # boxes. WenQuanYi Zen Hei (Debian fonts-wqy-zenhei) stands in for it.
  for face in SimSun NSimSun 宋体 新宋体; do
    LC_ALL=C.UTF-8 timeout 60 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
      /d "WenQuanYi Zen Hei" /f >/dev/null 2>&1 || { echo "wine-run: font replacement failed" >&2; exit 1; }
  done
  touch "$prefix/k7r2-fonts.done"
fi
if [ ! -f "$prefix/k7r2-desktop.done" ]; then
  # Under Xvfb there is no window manager, and Wine then waits up to 2 s for every top-level
  # window it hides; in a virtual desktop of its own it manages the windows itself.
  timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 &&
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f \
      >/dev/null 2>&1 || { echo "wine-run: setting the virtual desktop failed" >&2; exit 1; }
  touch "$prefix/k7r2-desktop.done"
fi

if [ ${#maps[@]} -gt 0 ]; then
  # Wine's mount manager rewrites dosdevices/comN at every start; the registry mapping holds.
  # One import for all of them (each Wine start costs time). An empty device hides the port,
  # which Wine would otherwise give the host's /dev/ttyS<N-1>.
  ports_reg=$(mktemp "${TMPDIR:-/tmp}/wine-ports-XXXXXX.reg")
  {
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n'
    for map in "${maps[@]}"; do printf '"COM%s"="%s"\n' "${map%%=*}" "${map#*=}"; done
  } >"$ports_reg"
  timeout 60 wine reg import "Z:${ports_reg//\//\\}" >/dev/null 2>&1 ||
    { rm -f "$ports_reg"; echo "wine-run: mapping the COM ports failed" >&2; exit 1; }
  rm -f "$ports_reg"
  # The server reads the mapping when it starts.
  stop_server
fi

[ -z "$x11" ] || [ -z "$display" ] || export DISPLAY=$display
status=0
(cd "$cwd" && timeout -k 5 "$run_timeout" wine "$program" "$@") || status=$?
if [ -n "$wait_all" ] && [ $status -ne 124 ]; then
  # The server ends once the last of the prefix's processes has.
  timeout -k 5 "$run_timeout" wineserver -w || status=124
fi
[ $status -eq 124 ] && echo "wine-run: $(basename "$program") timed out after ${run_timeout}s" >&2
exit $status
