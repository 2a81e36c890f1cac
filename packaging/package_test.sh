#!/usr/bin/env bash
# Builds the Debian package from a configured build tree into a folder of its own and checks
# what it holds: both programs, a valid menu entry, the icon in both forms, the dependencies.
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
for path in ./usr/bin/k7r2-console ./usr/bin/k7r2-sim ./usr/share/applications/k7r2-console.desktop \
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
exit $fail
