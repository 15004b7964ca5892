#!/usr/bin/env bash
# The window as a screen reader on Linux is given it: under Xvfb, on a session bus and an
# accessibility bus of the test's own, read by pyatspi (atspi_tree.py). Exits 77, which the test
# suite counts as skipped, with the reason, when the accessibility bus cannot be started.
# Usage: atspi_check.sh WINDOW-PROGRAM atspi_tree.py
set -euo pipefail
skip() { printf 'SKIP: %s\n' "$*"; exit 77; }

if [ "${1:-}" != --inside ]; then
    for tool in xvfb-run dbus-run-session dbus-send; do
        command -v "$tool" >/dev/null || skip "$tool is missing (scripts/deps.sh test installs it)"
    done
    [ -x /usr/libexec/at-spi-bus-launcher ] ||
        skip "at-spi2-core is missing (scripts/deps.sh test installs it)"
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
        skip "python3-pyatspi is missing (scripts/deps.sh test installs it)"
    exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" --inside "$@"
fi
shift
window=$1 script=$2

# Asking for the accessibility bus starts it, and its registry, on this session bus.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 || skip "the accessibility bus does not start on a private session bus"

# In a sanitizer build: the X keyboard library hands strndup a buffer without a terminating
# zero, which the strict string checks take for an overflow. This test runs without them; the
# other tests keep them.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}strict_string_checks=0"
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$window" &
window_pid=$!
trap 'kill "$window_pid" 2>/dev/null || true; wait "$window_pid" 2>/dev/null || true' EXIT
/usr/bin/python3 "$script" "$window_pid"
