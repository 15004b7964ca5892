#!/usr/bin/env bash
# Checks the Windows installer in a fresh Wine prefix: a silent install puts the program in
# Program Files, the Start menu and the list of installed programs; the installed program comes
# up on an X server with nothing but the libraries it was installed with; the uninstaller takes
# all of it away again.
# Usage: scripts/check-windows-install.sh <installer.exe>
set -euo pipefail
setup=$(realpath "$1")
caption="TAVIN VQ880-1W Reader Config"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VQ880ReaderConfig'

source "$(dirname "$0")/windows-build.sh"
# Only what the installer brought: no search path to the build's Qt.
unset WINEPREFIX WINEPATH QT_QPA_PLATFORM
trap wine_end EXIT
fail() {
    echo "installer check: $*" >&2
    exit 1
}

wine_prefix_begin
wine "$setup" /S
dir=$WINEPREFIX/drive_c/Program\ Files/TAVIN/ReaderConfig
[ -f "$dir/vq880-config.exe" ] || fail "no program in Program Files"
[ -f "$dir/platforms/qwindows.dll" ] || fail "no platform plug-in"
shortcut=$(find "$WINEPREFIX/drive_c" -name 'TAVIN VQ880 Reader Config.lnk' -print -quit)
[ -n "$shortcut" ] || fail "no Start menu entry"
wine reg query "$entry" /v DisplayVersion >/dev/null 2>&1 || fail "not listed as installed"
echo "installed: $(du -sk "$dir" | cut -f1) KiB, Start menu: ${shortcut#"$WINEPREFIX/drive_c/"}"

# The installed program, started the way the Start menu starts it, must open its window. The
# prefix's desktop started without a display, so it is ended first.
wineserver -k 2>/dev/null || true
export CAPTION=$caption
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    wine "C:\\Program Files\\TAVIN\\ReaderConfig\\vq880-config.exe" &
    for i in $(seq 150); do
        if xwininfo -root -tree 2>/dev/null | grep -qF "\"$CAPTION"; then
            echo "the installed program opened its window after $((i / 5)) s"
            wineserver -k
            exit 0
        fi
        sleep 0.2
    done
    wineserver -k
    exit 1' || fail "the installed program did not open its window"

# The uninstaller hands over to a copy of itself and returns; wineserver -w waits for the copy.
wine "$dir/uninstall.exe" /S
wineserver -w
[ ! -e "$dir" ] || fail "the uninstaller left the program folder"
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start menu entry"
! wine reg query "$entry" >/dev/null 2>&1 || fail "the uninstaller left the uninstall entry"
echo "installer check passed"
