#!/usr/bin/env bash
# The Windows build's tests under Wine: the protocol, window and operation tests as on Linux,
# and the Windows backends themselves: Win32SerialLine on COM ports that lead to the Linux
# simulator on pseudo-terminals, the registry store, and the real window on an X server.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
source scripts/windows-build.sh

scripts/deps.sh --packages wine wine64 xvfb xauth x11-utils unzip

step() { printf '\n==== %s\n' "$*"; }

step "Windows build"
windows_build

# The simulator is a Linux program: it comes from the Linux build.
if [ ! -x build/sim/vq880-sim ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$(nproc)" --target vq880-sim
fi

sims=()
cleanup() {
    local pid
    for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${sims[@]}"; do wait "$pid" 2>/dev/null || true; done
    wine_end
}
trap cleanup EXIT

# Starts the simulator with the given options and makes its terminal the prefix's COMn.
start_reader() {
    local com=$1 out
    shift
    out=$wine_home/sim-com$com.txt
    build/sim/vq880-sim "$@" --log "$wine_home/sim-com$com.log" >"$out" &
    sims+=($!)
    local device="" i
    for i in $(seq 50); do
        device=$(sed -n 's/^device //p' "$out")
        [ -n "$device" ] && break
        sleep 0.1
    done
    [ -n "$device" ] || { echo "the simulator on COM$com did not start"; exit 1; }
    ln -sfn "$device" "$WINEPREFIX/dosdevices/com$com"
}

step "tests under Wine"
start=$(date +%s)
wine_begin
echo "Wine prefix made in $(( $(date +%s) - start )) s"
# A pseudo-terminal carries no parity: the reader's even parity is not checked on the wire.
start_reader 5 --line 19200,e,8,1
start_reader 6 --line 19200,e,8,1 --fault silent
export VQ880_READER_COM=5 VQ880_SILENT_COM=6 QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_win" --output-on-failure -j"$(nproc)" -LE display

step "the real window on an X server"
# The display is the Wine desktop's: a prefix already running without one is ended first.
wineserver -k 2>/dev/null || true
wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
wine_platform windows
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$build_win" --output-on-failure -L display

step "the package: zip, installer, the installed program, uninstalling"
package=$(scripts/package-windows.sh)
printf '%s\n' "$package" | grep -E '^(program folder|zip|installer):'
zip=$(printf '%s\n' "$package" | grep '\.zip$')
setup=$(printf '%s\n' "$package" | grep -- '-setup\.exe$')
unzip -tq "$zip" >/dev/null
# The listing is read whole: a grep that quits at its match would leave unzip writing into a
# closed pipe, and the pipeline would fail on the signal.
listing=$(unzip -Z1 "$zip")
grep -q '/platforms/qwindows\.dll$' <<<"$listing" || { echo "the zip has no platform plug-in"; exit 1; }
scripts/check-windows-install.sh "$setup"
