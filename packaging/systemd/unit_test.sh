#!/usr/bin/env bash
# Checks the template unit with systemd's own verifier (with the built k7r2 in place of the
# installed one) and the sysusers file with systemd-sysusers. 77: the tools are missing.
set -euo pipefail
k7r2=$1
here=$(cd "$(dirname "$0")" && pwd)
command -v systemd-analyze >/dev/null && command -v systemd-sysusers >/dev/null || exit 77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed "s|/usr/bin/k7r2|$k7r2|g" "$here/k7r2-serve@.service" > "$work/k7r2-serve@.service"
ln -s k7r2-serve@.service "$work/k7r2-serve@site.service"
problems=$(systemd-analyze verify "$work/k7r2-serve@site.service" 2>&1 | grep -v "^$" || true)
if [ -n "$problems" ]; then
  echo "$problems"
  exit 1
fi
# The alarm journal is written beside the site file: that folder must be the service's own.
grep -q '^StateDirectory=k7r2/%i$' "$here/k7r2-serve@.service" &&
  grep -q '^ExecStart=.* serve /var/lib/k7r2/%i/[^/]*\.toml$' "$here/k7r2-serve@.service" ||
  { echo "the site file is not in the service's writable state folder"; exit 1; }
users=$(systemd-sysusers --dry-run "$here/k7r2.sysusers" 2>&1 || true)
grep -q "user 'k7r2'" <<<"$users" || { echo "sysusers: $users"; exit 1; }
echo ok
