#!/usr/bin/env bash
# The window as a screen reader on Linux is given it: under Xvfb, on a session bus and an
# accessibility bus of the test's own, read by pyatspi (atspi_tree.py). Exits 77, which the test
# suite counts as skipped, with the reason, when the accessibility bus cannot be started.
# Usage: atspi_check.sh WINDOW-PROGRAM atspi_tree.py
set -euo pipefail
skip() { printf 'SKIP: %s\n' "$*"; exit 77; }

if [ "${1:-}" != --inside ]; then
    for tool in dbus-run-session dbus-send; do
        command -v "$tool" >/dev/null || skip "$tool is missing (scripts/deps.sh test installs it)"
    done
    [ -x /usr/libexec/at-spi-bus-launcher ] ||
        skip "at-spi2-core is missing (scripts/deps.sh test installs it)"
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
        skip "python3-pyatspi is missing (scripts/deps.sh test installs it)"
    command -v Xvfb >/dev/null || skip "Xvfb is missing (scripts/deps.sh test installs it)"
    # A display of the test's own: with -displayfd the server picks a free number and writes it
    # once it takes connections, so no other server's number or start-up is raced.
    number=$(mktemp) server_log=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number" 2>"$server_log" &
    server=$!
    trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$number" "$server_log"' EXIT
    for _ in $(seq 200); do
        [ -s "$number" ] && break
        kill -0 "$server" 2>/dev/null || break
        sleep 0.05
    done
    if [ ! -s "$number" ]; then
        cat "$server_log"
        echo "FAIL: the X server did not start"
        exit 1
    fi
    status=0
    DISPLAY=":$(head -n1 "$number")" dbus-run-session -- "$0" --inside "$@" || status=$?
    # What the server said, when the window could not use it.
    [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || cat "$server_log"
    exit "$status"
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
