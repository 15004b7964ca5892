#!/usr/bin/env bash
# Starts the reader simulator in the background and waits until it serves its device. Other
# scripts source this file.

sim_start_timeout=${sim_start_timeout:-5}

# sim_start PROGRAM OUTPUT [OPTION...]: starts the simulator PROGRAM with the options, its
# standard output going to the file OUTPUT, and waits for its first line, "device PATH".
# Sets sim_pid and sim_device. When the simulator ends first, or names no device within
# sim_start_timeout seconds, says so on standard error with what it printed, ends it and fails.
sim_start() {
    local program=$1 output=$2
    shift 2
    sim_device=""
    : >"$output"
    "$program" "$@" >"$output" &
    sim_pid=$!
    local tries=$((sim_start_timeout * 10)) status
    while :; do
        sim_device=$(sed -n '1s/^device //p' "$output" 2>/dev/null || true)
        [ -n "$sim_device" ] && return 0
        if ! kill -0 "$sim_pid" 2>/dev/null; then
            status=0
            wait "$sim_pid" || status=$?
            sim_pid=""
            echo "The simulator did not start: it ended with exit status $status." >&2
            sim_said "$output"
            return 1
        fi
        tries=$((tries - 1))
        if [ "$tries" -lt 0 ]; then
            sim_stop
            echo "The simulator did not start: it named no device within" \
                 "$sim_start_timeout s." >&2
            sim_said "$output"
            return 1
        fi
        sleep 0.1
    done
}

# What the simulator printed on its standard output, if anything.
sim_said() {
    [ -s "$1" ] || return 0
    echo "Its output ($1):" >&2
    sed 's/^/  /' "$1" >&2
}

# sim_stop: ends the simulator that sim_start started, if it still runs.
sim_stop() {
    [ -n "${sim_pid:-}" ] || return 0
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
}
