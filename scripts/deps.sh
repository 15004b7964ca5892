#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when they are missing.
# Usage: scripts/deps.sh run|test          what the tool itself needs
#        scripts/deps.sh --packages NAME...  the named packages (the Windows scripts' own)
# When another package manager holds the package lock (the system's own updates often do for
# minutes after boot), it waits for it, up to 10 minutes.
set -euo pipefail

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# shellcheck source=scripts/apt-lock.sh
source "$(dirname "$0")/apt-lock.sh"

# A need with other names on other releases is written "name|other": the first name that the
# release's package lists hold as a real package (one with an installation candidate) is taken.
# Debian 13 knows the serial port's development files only as qt6-serialport-dev; in Debian 12
# libqt6serialport6-dev is a name that qt6-serialport-dev provides, which dpkg never reports as
# installed.
if [ "${1:-}" = --packages ]; then
    shift
    needs=("$@")
else
    needs=(cmake g++ make pkg-config qt6-base-dev "qt6-serialport-dev|libqt6serialport6-dev"
           libasound2-dev libudev-dev fonts-wqy-microhei)
    if [ "${1:-run}" = test ]; then
        needs+=(clang "libclang-rt-dev|libclang-rt-14-dev" xvfb xauth x11-apps imagemagick
                dpkg-dev lintian file appstream dbus-daemon dbus-bin at-spi2-core python3-pyatspi
                bash-completion)
    fi
fi

has_candidate() {
    local policy
    policy=$(LC_ALL=C apt-cache policy "$1" 2>/dev/null) || return 1
    [[ $policy =~ Candidate:\ [^\(] ]]
}

updated=""
packages=()
for need in "${needs[@]}"; do
    IFS='|' read -r -a names <<<"$need"
    chosen=""
    if [ ${#names[@]} -gt 1 ]; then
        # The package lists of a fresh machine may be empty: read them once before choosing.
        for attempt in 1 2; do
            for name in "${names[@]}"; do
                if has_candidate "$name"; then chosen=$name; break 2; fi
            done
            [ -n "$updated" ] && break
            apt_get update -qq
            updated=yes
        done
        if [ -z "$chosen" ]; then
            echo "scripts/deps.sh: this release has none of the packages $need" >&2
            exit 1
        fi
    else
        chosen=${names[0]}
    fi
    packages+=("$chosen")
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
[ -n "$updated" ] || apt_get update -qq
DEBIAN_FRONTEND=noninteractive apt_get install -y -qq --no-install-recommends "${missing[@]}"
