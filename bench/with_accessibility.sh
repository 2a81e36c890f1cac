#!/usr/bin/env bash
# Runs a program as under a desktop with a screen reader's bridge active: a display of its own
# (Xvfb, the xcb platform), a private D-Bus session bus, the AT-SPI bus and registry on it, and
# Qt's accessibility bridge switched on. Nothing of the user's own session is touched.
# Usage: bench/with_accessibility.sh PROGRAM [ARGS...]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGS...]" >&2; exit 2; }
for tool in xvfb-run dbus-run-session dbus-send /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "$0: $tool missing (tools/install-deps.sh)" >&2; exit 1; }
done
if [ "${K7R2_IN_A11Y_SESSION:-}" != 1 ]; then
  export K7R2_IN_A11Y_SESSION=1
  exec xvfb-run -a -s '-screen 0 1024x768x24' dbus-run-session -- "$0" "$@"
fi
# Inside the private session: asking for the AT-SPI bus starts it (and its registry) through the
# session bus's service activation, as a desktop session does.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
  >/dev/null
export QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$@"
