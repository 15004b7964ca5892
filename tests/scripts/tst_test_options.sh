#!/usr/bin/env bash
# scripts/test.sh's options: an unknown one stops it with its usage before anything is run.
# Usage: tst_test_options.sh SOURCE_FOLDER
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck source=check.sh
source "$(dirname "$0")/check.sh"
script=$1/scripts/test.sh
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

# run OPTION...: test.sh's exit status, its output in $out and $err.
run() {
    local status=0
    timeout 20 bash "$script" "$@" >"$out" 2>"$err" || status=$?
    echo "$status"
}

for bad in --bogus -q quick "--quick --full"; do
    # shellcheck disable=SC2086  # "--quick --full" is two options
    check "$bad: exit status 64" test "$(run $bad)" = 64
    check "$bad: names the option" grep -q "^scripts/test.sh: unknown option ${bad##* }$" "$err"
    check "$bad: usage on standard error" grep -q '^Usage: scripts/test.sh \[--quick\]$' "$err"
    check "$bad: nothing run" test ! -s "$out"
done

check "--help: exit status 0" test "$(run --help)" = 0
check "--help: usage on standard output" grep -q '^Usage: scripts/test.sh \[--quick\]$' "$out"
check "--help: names --quick" grep -q '^  --quick ' "$out"
check "--help: nothing run" test ! -s "$err"

check_done
