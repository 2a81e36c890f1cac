#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12. Root runs apt-get directly;
# anyone else goes through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  fonts-wqy-zenhei qt6-translations-l10n
  g++-mingw-w64-x86-64 wine wine64
  xvfb xauth x11-utils xdotool imagemagick
  dpkg-dev desktop-file-utils file
  dbus-daemon dbus-bin at-spi2-core
  lintian man-db bash-completion  # the package test: lintian, manual pages, k7r2's completion
  nsis librsvg2-bin googletest  # Windows installer, its .ico from the SVG, GoogleTest built with MinGW
  libmosquitto-dev mosquitto libmodbus-dev mbpoll   # the plant service and its tests
  libtoml11-dev  # site files (buses, modules, alarm limits)
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "install-deps: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
