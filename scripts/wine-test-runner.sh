#!/usr/bin/env bash
# Runs one QtTest program of the Windows build under Wine and prints its results. Without a
# console window QtTest writes to the debugger instead of standard output, so the results go
# to a file first. CTest calls this as the cross-compiling emulator.
set -uo pipefail
results=$(mktemp -t vq880-test.XXXXXX)
program=$1
shift
wine "$program" -o "$results,txt" "$@"
status=$?
cat "$results"
rm -f "$results"
exit $status
