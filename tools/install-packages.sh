#!/usr/bin/env bash
# Installs those of the Debian packages named that are missing (run as root), and leaves no
# service of theirs enabled or running: Debian enables and starts the services of ser2net and
# prometheus-node-exporter as they are installed, while the tests start their own copies on
# 127.0.0.1. Only services that this install brought are stopped and disabled; a service of a
# package that was there before is left as it was.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

missing=()
for package in "$@"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
[ ${#missing[@]} -gt 0 ] || exit 0

# While installing, the packages' scripts may start nothing (policy-rc.d answers "not
# allowed", which deb-systemd-invoke and invoke-rc.d obey); an existing policy is kept.
policy=/usr/sbin/policy-rc.d
own_policy=
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' >"$policy"
  chmod 755 "$policy"
  own_policy=yes
fi
cleanup() {
  if [ -n "$own_policy" ]; then
    rm -f "$policy"
  fi
}
trap cleanup EXIT

apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"

for package in "${missing[@]}"; do
  case $package in
  ser2net | prometheus-node-exporter) service=$package ;;
  *) continue ;;
  esac
  echo "+ $service: installed for the tests; its service is left disabled and stopped"
  # Without a running systemd (a container) the links are removed all the same.
  if [ -d /run/systemd/system ]; then
    systemctl disable --now "$service.service"
  elif command -v systemctl >/dev/null; then
    systemctl disable "$service.service"
  fi
  if [ -e "/etc/init.d/$service" ]; then
    update-rc.d "$service" disable >/dev/null
  fi
done
