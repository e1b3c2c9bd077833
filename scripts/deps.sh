#!/bin/sh
# Installs the Debian packages that building, running and testing need,
# skipping those already present. Uses sudo when not run as root.
#   scripts/deps.sh [extra packages...]
set -eu

packages="build-essential cmake qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libfontconfig-dev fonts-liberation fonts-dejavu-core python3-pyvisa python3-pyvisa-py $*"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo"; fi
echo "Installing:$missing"
$as_root apt-get update -qq
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
