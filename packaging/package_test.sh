#!/usr/bin/env bash
# Builds the Debian package from a configured build tree into a folder of its own and checks
# what it holds: the three programs, their manual pages, k7r2's bash completion, the copyright
# file and changelog, a valid menu entry, the icon in both forms, the dependencies, and that
# lintian finds no error.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build_dir=$1
for tool in cpack dpkg-deb desktop-file-validate dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "package_test: $tool missing, skipped"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build_dir" && cpack -G DEB --config CPackConfig.cmake -B "$out" >"$out/cpack.log") ||
  { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/k7r2-console_*_*.deb)
fail=0
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/k7r2-console ./usr/bin/k7r2 ./usr/bin/k7r2-sim \
            ./usr/share/man/man1/k7r2.1.gz ./usr/share/man/man1/k7r2-console.1.gz \
            ./usr/share/man/man1/k7r2-sim.1.gz ./usr/share/bash-completion/completions/k7r2 \
            ./usr/share/doc/k7r2-console/copyright ./usr/share/doc/k7r2-console/changelog.Debian.gz \
            ./usr/share/applications/k7r2-console.desktop \
            ./usr/share/icons/hicolor/scalable/apps/k7r2-console.svg \
            ./usr/share/icons/hicolor/256x256/apps/k7r2-console.png; do
  grep -qx "$path" <<<"$contents" || { echo "missing in package: $path"; fail=1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6svg6 fonts-wqy-zenhei qt6-translations-l10n; do
  grep -q "\b$dep\b" <<<"$depends" || { echo "not declared: $dep (Depends: $depends)"; fail=1; }
done
dpkg-deb -x "$deb" "$out/root"
desktop=$out/root/usr/share/applications/k7r2-console.desktop
desktop-file-validate "$desktop" || fail=1
grep -qx 'Name=QEV-K7R2 温度循检仪测试软件' "$desktop" || { echo "wrong Name"; fail=1; }
grep -qx 'Exec=k7r2-console' "$desktop" || { echo "wrong Exec"; fail=1; }
file "$out/root/usr/share/icons/hicolor/256x256/apps/k7r2-console.png" | grep -q '256 x 256' ||
  { echo "the PNG icon is not 256 x 256"; fail=1; }
# The manual page of k7r2 names every command and every exit status; all three render cleanly.
root=$out/root
for page in k7r2 k7r2-console k7r2-sim; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page.1: $warnings"; fail=1; }
done
manual=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$root/usr/share/man/man1/k7r2.1.gz" 2>/dev/null)
commands=$("$root/usr/bin/k7r2" --help | sed -n '/^命令:/,/^$/p' | awk 'NR > 1 && NF {print $1}')
for command in $commands "sn read" "sn dump" "register channel" "register sn" "register search" \
               "register file" "pt100 params" "pt100 calibrate" "pt100 offset" "pt100 temps" \
               "ports link" "ports unlink" --port --device --baud --address --json --trace \
               --period --count --csv --append --force --max-failures --from --to --dry-run \
               --addresses --bauds --timeout "site scan" "site watch" "site check" "alarms list" \
               "alarms ack" serve --csv-dir --name --active --since --all --check --status-interval; do
  grep -qF -- "$command" <<<"$manual" || { echo "k7r2.1 does not mention $command"; fail=1; }
done
for status in 0 1 2 3 4 5; do
  sed -n '/^EXIT STATUS/,/^ENVIRONMENT/p' <<<"$manual" | grep -qE "^ +$status\b" ||
    { echo "k7r2.1 lacks exit status $status"; fail=1; }
done
"$root/usr/bin/k7r2" --version | grep -qx "k7r2 $(dpkg-deb -f "$deb" Version | cut -d- -f1)" ||
  { echo "k7r2 --version differs from the package version"; fail=1; }
# The completion offers the commands.
if [ -f /usr/share/bash-completion/bash_completion ]; then
  offered=$(bash -c 'source /usr/share/bash-completion/bash_completion
    source "$1"; COMP_WORDS=(k7r2 --port 3 s); COMP_CWORD=3; COMP_LINE="k7r2 --port 3 s"
    COMP_POINT=${#COMP_LINE}; _k7r2 k7r2 s --port; echo "${COMPREPLY[*]}"' _ \
    "$root/usr/share/bash-completion/completions/k7r2")
  [ "$offered" = "sn signal-count scan site serve" ] || { echo "completion of 's' offered: $offered"; fail=1; }
  offered=$(bash -c 'source /usr/share/bash-completion/bash_completion
    source "$1"; COMP_WORDS=(k7r2 site watch site.toml --c); COMP_CWORD=4
    COMP_LINE="k7r2 site watch site.toml --c"; COMP_POINT=${#COMP_LINE}; _k7r2 k7r2 --c site.toml
    echo "${COMPREPLY[*]}"' _ "$root/usr/share/bash-completion/completions/k7r2")
  [ "$offered" = "--csv-dir --count" ] || { echo "completion of 'site watch --c' offered: $offered"; fail=1; }
fi
zcat "$root/usr/share/doc/k7r2-console/changelog.Debian.gz" | head -1 | grep -q '^k7r2-console (3' ||
  { echo "changelog.Debian does not start with this package"; fail=1; }
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$root/usr/share/doc/k7r2-console/copyright" || { echo "copyright is not machine-readable"; fail=1; }
if command -v lintian >/dev/null; then
  findings=$(lintian --no-tag-display-limit "$deb" 2>/dev/null || true)
  if grep -q '^E:' <<<"$findings"; then echo "lintian: $findings"; fail=1; fi
  # Every warning left is one that packaging/README.md explains.
  for tag in $(grep '^W:' <<<"$findings" | awk '{print $3}' | sort -u); do
    grep -q "\`$tag\`" "$(dirname "$0")/README.md" || { echo "lintian warning not explained: $tag"; fail=1; }
  done
fi
exit $fail
