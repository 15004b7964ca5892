#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when they are missing.
# Usage: scripts/deps.sh run|test          what the tool itself needs
#        scripts/deps.sh --packages NAME...  the named packages (the Windows scripts' own)
# When another package manager holds the package lock (the system's own updates often do for
# minutes after boot), it waits for it, up to 10 minutes.
set -euo pipefail

if [ "${1:-}" = --packages ]; then
    shift
    packages=("$@")
else
    packages=(cmake g++ make pkg-config qt6-base-dev libqt6serialport6-dev libasound2-dev
              fonts-wqy-microhei)
    if [ "${1:-run}" = test ]; then
        packages+=(clang libclang-rt-14-dev xvfb xauth x11-apps imagemagick dpkg-dev lintian file)
    fi
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# shellcheck source=scripts/apt-lock.sh
source "$(dirname "$0")/apt-lock.sh"
echo "Installing: ${missing[*]}"
apt_get update -qq
DEBIAN_FRONTEND=noninteractive apt_get install -y -qq --no-install-recommends "${missing[@]}"
