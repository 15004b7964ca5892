#!/usr/bin/env bash
# The set-up on a fresh Debian 13, from a Debian 12 machine: a minimal Debian 13 system made with
# debootstrap, in which the README's first command builds the tool (scripts/run.sh, without
# starting it), the quick tests run, and the Debian package built there is installed there.
#
# The minimal system is kept as a tar file in the cache folder (default /var/cache/vq880), keyed
# by what it is made of; a machine without it makes it first (a few minutes). Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
cache_root=${VQ880_DEBIAN13_CACHE:-/var/cache/vq880}
suite=trixie
mirror=${VQ880_DEBIAN_MIRROR:-$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources \
    2>/dev/null | head -n 1)}
mirror=${mirror:-http://deb.debian.org/debian}
# Enough for apt and for building; the scripts install the rest, as on a fresh machine.
include=ca-certificates,apt-utils

if [ "$(id -u)" -ne 0 ]; then
    echo "scripts/test-debian13.sh: needs root (debootstrap, chroot)" >&2
    exit 1
fi
scripts/deps.sh --packages debootstrap

step() { printf '\n---- Debian 13: %s\n' "$*"; }

key=$(printf '%s\n' "$suite" "$mirror" "$include" | sha256sum | cut -c1-16)
tarball=$cache_root/debian13-$key.tar
work=$(mktemp -d /var/tmp/vq880-debian13.XXXXXX)
root=$work/root
cleanup() {
    rm -rf --one-file-system "$work"
}
trap cleanup EXIT

start=$(date +%s)
if [ ! -f "$tarball" ]; then
    step "a minimal system with debootstrap ($mirror)"
    mkdir -p "$cache_root"
    debootstrap --variant=minbase --include="$include" "$suite" "$root" "$mirror" \
        >"$work/debootstrap.log" 2>&1 || { tail -n 30 "$work/debootstrap.log"; exit 1; }
    tar -C "$root" -cf "$tarball.new" . && mv "$tarball.new" "$tarball"
    echo "made in $(( $(date +%s) - start )) s and kept as $tarball"
else
    step "the minimal system from $tarball"
    mkdir -p "$root"
    tar -C "$root" -xf "$tarball"
fi
grep -q 'VERSION_ID="13"' "$root/etc/os-release" || { echo "not a Debian 13 system"; exit 1; }

# The sources as a fresh checkout has them: the files git tracks.
mkdir -p "$root/src"
git ls-files -z | tar --null -T - -cf - | tar -C "$root/src" -xf -
cp /etc/resolv.conf "$root/etc/resolv.conf"

step "build, quick tests and the package, inside"
cat >"$root/src/inside.sh" <<'INSIDE'
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8
cd /src
begin=$(date +%s)
scripts/run.sh --build-only
echo "scripts/run.sh --build-only: $(( $(date +%s) - begin )) s"
begin=$(date +%s)
scripts/test.sh --quick
echo "scripts/test.sh --quick: $(( $(date +%s) - begin )) s"
apt-get install -y -qq --no-install-recommends dpkg-dev file >/dev/null
(cd build && cpack -G DEB >/dev/null)
apt-get install -y -qq --no-install-recommends ./build/vq880-config_*.deb >/dev/null
vq880 --version
command -v vq880-config vq880-sim
INSIDE
# Private mounts that go with the namespace: /proc, /dev and the pseudo-terminals the tests use.
# Not a pid namespace of its own: there /proc/locks hides the locks of its processes, and the
# scripts read it to see who holds the package manager's lock.
end_leftovers() {
    local process
    for process in /proc/[0-9]*; do
        [ "$(readlink "$process/root" 2>/dev/null)" = "$root" ] && kill -9 "${process#/proc/}" 2>/dev/null
    done
    return 0
}
trap 'end_leftovers; cleanup' EXIT
unshare --mount --propagation private bash -c '
    set -e
    root=$1
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
    mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
    mount -t tmpfs tmpfs "$root/tmp"
    mkdir -p "$root/run/lock" "$root/var/lock"
    exec chroot "$root" /bin/bash /src/inside.sh
' bash "$root"
echo "Debian 13 stage: $(( $(date +%s) - start )) s"
