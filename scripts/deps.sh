#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when they are missing.
# Usage: scripts/deps.sh run|test          what the tool itself needs
#        scripts/deps.sh --packages NAME...  the named packages (the Windows scripts' own)
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
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
