#!/usr/bin/env bash
# What the scripts' tests share: check NAME COMMAND... runs the command, reports it as passed or
# failed, and check_done ends the test with the number of failed checks.
checks_failed=0

check() {
    local name=$1
    shift
    if "$@"; then
        echo "PASS: $name"
    else
        echo "FAIL: $name"
        checks_failed=$((checks_failed + 1))
    fi
}

check_done() {
    echo "$checks_failed failed"
    [ "$checks_failed" -eq 0 ]
    exit
}
