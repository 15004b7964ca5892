#!/usr/bin/env bash
# Cross-builds the tool for 64-bit Windows into build-win (Qt from scripts/build-qt-mingw.sh,
# built once and cached). Other scripts source this file and call windows_build with the
# targets they need; afterwards $qt_prefix, $build_win and $runtime_dlls are set.
set -euo pipefail

windows_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_win=$windows_top/build-win

windows_build() {
    qt_prefix=$("$windows_top/scripts/build-qt-mingw.sh" | tail -n1)
    local start
    start=$(date +%s)
    cmake -S "$windows_top" -B "$build_win" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$windows_top/cmake/mingw-w64.cmake" \
        -DCMAKE_PREFIX_PATH="$qt_prefix" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_BUILD_TYPE=Release -DVQ880_BENCH=OFF \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$windows_top/scripts/wine-test-runner.sh" >/dev/null
    cmake --build "$build_win" -j"$(nproc)" ${1:+--target "$@"}
    echo "Windows build: $(( $(date +%s) - start )) s"

    # The compiler's own run-time libraries, which the program and Qt are linked against.
    runtime_dlls=()
    local dll
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        runtime_dlls+=("$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")")
    done
}

# A fresh, empty Wine prefix of our own in a temporary folder; ended and removed by wine_end.
wine_prefix_begin() {
    wine_home=$(mktemp -d -t vq880-wine.XXXXXX)
    export WINEPREFIX=$wine_home/prefix WINEDEBUG=-all WINEARCH=win64
    # No Mono or Gecko installers: nothing here needs them.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    wineboot --init >/dev/null 2>&1
}

# A fresh prefix that finds the build's Qt and run-time libraries, for the tests.
wine_begin() {
    wine_prefix_begin
    # Without a display Wine's null graphics driver still gives windows and their timers.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wine_platform offscreen
    local path="" dir
    for dir in "$qt_prefix/bin" $(dirname "${runtime_dlls[@]}" | sort -u); do
        path+="Z:${dir//\//\\};"
    done
    export WINEPATH=$path
}

# Wine does not hand QT_QPA_PLATFORM on from the Unix environment; the user's environment in
# the prefix's registry reaches every program.
wine_platform() {
    wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d "$1" /f >/dev/null 2>&1
}

wine_end() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
    [ -n "${wine_home:-}" ] && rm -rf "$wine_home"
    wine_home=""
}
