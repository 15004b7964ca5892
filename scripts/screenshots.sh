#!/usr/bin/env bash
# Pictures of the window in its three languages, taken on a virtual X display:
# docs/window-en.png, docs/window-gb.png, docs/window-big5.png.
# Usage: scripts/screenshots.sh [build folder]   (default: build-screenshots)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-screenshots}"
snapshot="$build/tests/ui/vq880-window-snapshot"

if [ ! -x "$snapshot" ] || [ -n "$(find "$root/ui" "$root/tests/ui" -newer "$snapshot" -print -quit)" ]; then
    if [ -f "$build/CMakeCache.txt" ]; then
        cmake "$build" >/dev/null
    else
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$build" --target vq880-window-snapshot -j2
fi

mkdir -p "$root/docs"
runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"

for shot in English:en ChineseGB:gb ChineseBIG5:big5; do
    language="${shot%%:*}"
    picture="$root/docs/window-${shot##*:}.png"
    XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$snapshot" "$language" "$picture"
    echo "$picture"
done
