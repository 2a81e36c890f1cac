#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix: the programs import no DLL beyond the
# system's; a silent install puts them under Program Files with the Start-menu shortcut and the
# Uninstall key (in the 64-bit registry); the installed program starts; a silent uninstall takes
# all of it away again.
#   tests/wine/installer_test.sh [BUILD_WIN32] [BUILD_NATIVE]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win32=$(realpath "${1:-$root/build-win32}")
native=$(realpath "${2:-$root/${BUILD_DIR:-build}}")
export LC_ALL=C.UTF-8
export BUILD_DIR=$native

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINE_PREFIX_DIR=$work/prefix
fail() { echo "installer_test: $*" >&2; exit 1; }
wine_run() { "$root/tools/wine-run.sh" "$@"; }

shopt -s nullglob
installers=("$win32"/k7r2-setup-*.exe)
[ ${#installers[@]} -eq 1 ] || fail "expected one k7r2-setup-*.exe in $win32, found ${#installers[@]}"
installer=${installers[0]}
version=${installer##*/k7r2-setup-}
version=${version%.exe}

# A first run makes the prefix; its system32 is what a Windows program may rely on.
wine_run "$win32/cli/k7r2.exe" --help >"$work/help.txt" 2>&1 ||
  fail "k7r2.exe --help failed: $(cat "$work/help.txt")"
system32=$WINE_PREFIX_DIR/drive_c/windows/system32
start_args=(--help)
grep -q -- '--version' "$work/help.txt" && start_args=(--version)

# Explorer's properties show the project's version; the window program asks for common
# controls 6 and per-monitor DPI awareness.
strings -e l "$win32/cli/k7r2.exe" | grep -qx "$version" || fail "k7r2.exe carries no version $version"
if [ -f "$win32/console/k7r2-console.exe" ]; then
  manifest=$(strings "$win32/console/k7r2-console.exe")
  for word in Microsoft.Windows.Common-Controls PerMonitorV2; do
    grep -qF "$word" <<<"$manifest" || fail "k7r2-console.exe's manifest has no $word"
  done
fi

programs=("$win32/cli/k7r2.exe" "$installer")
[ -f "$win32/console/k7r2-console.exe" ] && programs+=("$win32/console/k7r2-console.exe")
for program in "${programs[@]}"; do
  mapfile -t dlls < <(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
  [ ${#dlls[@]} -gt 0 ] || fail "$(basename "$program") imports nothing?"
  for dll in "${dlls[@]}"; do
    case ${dll,,} in lib*.dll) fail "$(basename "$program") needs the MinGW runtime's $dll" ;; esac
    [ -n "$(find "$system32" -maxdepth 1 -iname "$dll" -print -quit)" ] ||
      fail "$(basename "$program") imports $dll, which is no system DLL"
  done
done

wine_run "$installer" /S || fail "the silent install failed (status $?)"

dir="$WINE_PREFIX_DIR/drive_c/Program Files/QEV-K7R2"
shortcut="$WINE_PREFIX_DIR/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/QEV-K7R2 温度循检仪测试软件.lnk"
registry=$WINE_PREFIX_DIR/system.reg
key='[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QEV-K7R2]'
main=k7r2.exe
[ -f "$win32/console/k7r2-console.exe" ] && main=k7r2-console.exe

for file in k7r2.exe uninstall.exe $main; do
  [ -f "$dir/$file" ] || fail "no $file under Program Files after the install"
done
[ -f "$shortcut" ] || fail "no Start-menu shortcut for all users"
strings -e l "$shortcut" | grep -qF "$main" || fail "the shortcut does not start $main"
# The 64-bit installer writes the 64-bit view: the key is not under Wow6432Node.
grep -qF "$key" "$registry" || fail "no Uninstall key in the 64-bit registry"
section=$(KEY=$key awk 'index($0, ENVIRON["KEY"]) == 1 { on = 1 } on && $0 == "" { exit } on' "$registry")
grep -qF '"DisplayVersion"="'"$version"'"' <<<"$section" || fail "the Uninstall key's version is not $version"
grep -qF '"QuietUninstallString"="\"C:\\Program Files\\QEV-K7R2\\uninstall.exe\" /S"' <<<"$section" ||
  fail "the Uninstall key has no silent uninstall: $section"

# The installed copy starts alone in its folder.
wine_run --cwd "$dir" "$dir/k7r2.exe" "${start_args[@]}" >"$work/installed.txt" 2>&1 ||
  fail "the installed k7r2.exe did not start: $(cat "$work/installed.txt")"
if [ "${start_args[0]}" = --version ]; then
  grep -qF "$version" "$work/installed.txt" || fail "k7r2.exe --version does not say $version"
else
  cmp -s "$work/help.txt" "$work/installed.txt" || fail "the installed k7r2.exe answers otherwise"
fi
if [ "$main" = k7r2-console.exe ]; then
  # The window stays until it is closed: running on at the timeout is a start.
  status=0
  WINE_TIMEOUT=20 xvfb-run -a "$root/tools/wine-run.sh" --x11 --cwd "$dir" "$dir/$main" >"$work/console.txt" 2>&1 ||
    status=$?
  [ $status -eq 0 ] || [ $status -eq 124 ] || fail "the console ended with status $status: $(cat "$work/console.txt")"
fi

# The uninstaller runs a copy of itself from the temporary folder: wait for that too.
wine_run --wait-all "$dir/uninstall.exe" /S || fail "the silent uninstall failed (status $?)"
[ ! -e "$dir" ] || fail "the install folder is still there: $(ls "$dir")"
[ ! -e "$shortcut" ] || fail "the shortcut is still there"
! grep -qF "$key" "$registry" || fail "the Uninstall key is still there"
echo "installer_test: $(basename "$installer") installs, starts and uninstalls silently under Wine"
