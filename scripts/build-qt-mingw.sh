#!/usr/bin/env bash
# Cross-builds Qt's base module for 64-bit Windows (MinGW-w64) from Debian's own source of the
# same Qt the Linux build uses, so the Windows program is built from sources the archive ships.
# The result is kept in a cache folder keyed by what the built Qt depends on: the source
# version, the toolchain file cmake/mingw-w64.cmake and the configure options below. A later
# run with the three unchanged reuses it, whatever else in this script changed. Prints the path
# of the installed Qt on its last line.
# Usage: scripts/build-qt-mingw.sh [cache-root]     (default /var/cache/vq880)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
cache_root=${1:-${VQ880_QT_CACHE:-/var/cache/vq880}}
jobs=$(nproc)

# Qt's configure options, besides the toolchain file and the install prefix. Part of the cache
# key: a change here builds Qt anew. Debian's source drops the tablet library; Windows' other
# third-party parts stay bundled.
qt_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DINPUT_opengl=no -DFEATURE_opengl=OFF
    -DFEATURE_directwrite3=OFF
    -DFEATURE_tabletevent=OFF -DFEATURE_wintab=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_testlib=ON -DFEATURE_gui=ON -DFEATURE_widgets=ON
    -DFEATURE_vulkan=OFF -DFEATURE_accessibility=ON
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=ON
    -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_brotli=OFF
    -DFEATURE_sql_sqlite=OFF
)
toolchain=$top/cmake/mingw-w64.cmake

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# shellcheck source=scripts/apt-lock.sh
source "$here/apt-lock.sh"

need=(dpkg-dev g++-mingw-w64-x86-64-posix mingw-w64 mingw-w64-tools cmake ninja-build
      qt6-base-dev qt6-base-dev-tools)
"$here/deps.sh" --packages "${need[@]}" >&2

# The source version is that of the host Qt: the Windows Qt must match the host tools.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
key=$({ printf '%s\n' "$version"; sha256sum <"$toolchain"; printf '%s\n' "${qt_options[@]}"; } |
      sha256sum | cut -c1-16)
dest="$cache_root/qt-mingw-$key"
if [ -f "$dest/done" ]; then
    echo "$dest/qt"
    exit 0
fi

# A deb-src entry for the archive the machine already uses.
src_list=/etc/apt/sources.list.d/vq880-debian-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ &&
   ! grep -qs '^deb-src' /etc/apt/sources.list; then
    mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null |
             grep -v security | head -n1)
    mirror=${mirror:-http://deb.debian.org/debian}
    echo "Adding a source entry (deb-src) for $mirror, for the source of qt6-base: $src_list" >&2
    printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: %s\n' \
        "$mirror" /usr/share/keyrings/debian-archive-keyring.gpg | $sudo tee "$src_list" >/dev/null
    # Waits for another package manager's lock, as scripts/deps.sh does. (apt-get source below
    # only downloads and takes no lock.)
    apt_get update -qq >&2
fi

# The cache folder is shared by the machine's users; made once, as the packages are installed,
# and handed to the user who builds.
if ! mkdir -p "$cache_root" 2>/dev/null || [ ! -w "$cache_root" ]; then
    echo "Making the cache folder $cache_root for $(id -un)" >&2
    $sudo mkdir -p "$cache_root"
    $sudo chown "$(id -u):$(id -g)" "$cache_root"
fi

work="$cache_root/work-$key"
rm -rf "$work"
mkdir -p "$work"
cd "$work"
echo "Fetching the source of qt6-base $version" >&2
apt-get source -qq --download-only "qt6-base=$version" >&2
dpkg-source --no-check -x qt6-base_*.dsc src >&2

echo "Configuring" >&2
start=$(date +%s)
cmake -S src -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$dest/qt" "${qt_options[@]}" >&2
echo "configure: $(( $(date +%s) - start )) s" >&2
start=$(date +%s)
cmake --build build --parallel "$jobs" >&2
echo "build: $(( $(date +%s) - start )) s" >&2
cmake --install build >&2
touch "$dest/done"
rm -rf "$work"
echo "$dest/qt"
