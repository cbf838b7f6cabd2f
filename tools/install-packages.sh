#!/bin/sh
# Installs those of the Debian packages given that are missing (apt-get update only then), and
# leaves no service that came with them enabled or running. Debian enables and starts a
# package's service as it installs it: ser2net's would serve the serial ports of its example
# configuration to every local user. Services the machine had before are left as they were.
# As root: sh tools/install-packages.sh PACKAGE...
# shellcheck disable=SC2086 # $missing and $held hold one word per package or unit
set -eu

missing=
for package in "$@"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
done
[ -n "$missing" ] || exit 0

services() {
  systemctl list-unit-files --type=service --no-legend --no-pager 2>/dev/null | awk '{print $1}'
}
scripts() {
  ls /etc/init.d 2>/dev/null || true
}

systemd=
if [ -d /run/systemd/system ] && command -v systemctl >/dev/null 2>&1; then
  systemd=1
fi
# Known to bring a service: held back from starting while it installs (until the next boot at
# most, should this script be cut short).
held=
for package in $missing; do
  case $package in
  ser2net) held="$held ser2net.service" ;;
  esac
done
services_before=
scripts_before=$(scripts)
if [ -n "$systemd" ]; then
  services_before=$(services)
  [ -z "$held" ] || systemctl mask --runtime --quiet $held || true
fi

status=0
{ DEBIAN_FRONTEND=noninteractive apt-get update &&
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing; } ||
  status=$?

# What this install added is disabled and stopped; nothing else is touched.
if [ -n "$systemd" ]; then
  [ -z "$held" ] || systemctl unmask --runtime --quiet $held || true
  for unit in $(services); do
    if ! printf '%s\n' "$services_before" | grep -qxF "$unit"; then
      systemctl disable --now --quiet "$unit" >/dev/null 2>&1 || true
    fi
  done
else
  for script in $(scripts); do
    if ! printf '%s\n' "$scripts_before" | grep -qxF "$script"; then
      invoke-rc.d "$script" stop >/dev/null 2>&1 || true
      update-rc.d "$script" disable >/dev/null 2>&1 || true
    fi
  done
fi
exit $status
