#!/usr/bin/env bash
# scripts/update-fault-matrix.sh, on a copy of the script in a scratch tree, with stand-ins for
# cmake, ctest and deps.sh: it copies the build folder's matrix, runs the test only when asked
# or when there is none, and leaves docs/fault-matrix.md alone when the test fails.
# Usage: tst_update_fault_matrix.sh SOURCE_FOLDER
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck source=check.sh
source "$(dirname "$0")/check.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree=$scratch/tree
mkdir -p "$tree/scripts" "$tree/docs" "$tree/build/docs" "$scratch/bin"
cp "$1/scripts/update-fault-matrix.sh" "$tree/scripts/"
docs=$tree/docs/fault-matrix.md report=$tree/build/docs/fault-matrix.md
export CALLS=$scratch/calls
# Each stand-in notes how it was called.
for stub in "$tree/scripts/deps.sh" "$scratch/bin/cmake"; do
    # shellcheck disable=SC2016  # the stand-in expands its own variables
    printf '#!/bin/sh\necho "%s $*" >>"$CALLS"\n' "${stub##*/}" >"$stub"
done
# ctest --test-dir BUILD ...: writes $MATRIX (if set) as the build's matrix, ends with $STATUS.
cat >"$scratch/bin/ctest" <<'STUB'
#!/bin/sh
echo "ctest $*" >>"$CALLS"
[ -z "${MATRIX:-}" ] || echo "$MATRIX" >"$2/docs/fault-matrix.md"
exit "${STATUS:-0}"
STUB
chmod +x "$tree/scripts/deps.sh" "$scratch/bin/cmake" "$scratch/bin/ctest"
export PATH=$scratch/bin:$PATH

# update OPTION...: runs the script from another folder; its status, output in $scratch/out.
update() {
    local status=0
    : >"$CALLS"
    (cd "$scratch" && bash "$tree/scripts/update-fault-matrix.sh" "$@") >"$scratch/out" 2>&1 ||
        status=$?
    echo "$status"
}

echo "old matrix" >"$docs"
echo "built matrix" >"$report"
check "a built matrix: copied" test "$(update)" = 0
check "into docs/" test "$(cat "$docs")" = "built matrix"
check "without running the test" test ! -s "$CALLS"
check "said" grep -q '^docs/fault-matrix.md updated from ' "$scratch/out"
update >/dev/null
check "a second time: nothing to change" grep -q '^docs/fault-matrix.md is up to date$' "$scratch/out"

rm "$report"
check "no built matrix: the test runs" test "$(MATRIX="fresh matrix" update)" = 0
check "and its matrix is copied" test "$(cat "$docs")" = "fresh matrix"
check "the build folder is configured when it is new" grep -q "^cmake -S \. -B $tree/build " "$CALLS"
check "only the test and the simulator are built" \
    grep -q "^cmake --build $tree/build -j[0-9]* --target tst_fault_matrix vq880-sim$" "$CALLS"
check "only the matrix test runs" \
    grep -q "^ctest --test-dir $tree/build --output-on-failure -R ^tst_fault_matrix\$$" "$CALLS"

touch "$tree/build/CMakeCache.txt"
check "--run with a failing test: fails" test "$(MATRIX="failed matrix" STATUS=8 update --run)" = 1
check "docs/ is left as it was" test "$(cat "$docs")" = "fresh matrix"
check "an existing build folder is not configured anew" test "$(grep -c '^cmake -S' "$CALLS")" = 0
check "saying why" grep -q '^tst_fault_matrix failed: docs/fault-matrix.md is left as it is$' \
    "$scratch/out"

echo "older matrix" >"$report"
check "a run that writes no matrix: fails" test "$(update --run)" = 1
check "and no older matrix is taken for it" test "$(cat "$docs")" = "fresh matrix"

mkdir -p "$scratch/other/docs"
echo "other matrix" >"$scratch/other/docs/fault-matrix.md"
check "a build folder named relative to where it is called" test "$(update other)" = 0
check "gives its matrix" test "$(cat "$docs")" = "other matrix"

check "an unknown option: exit status 64" test "$(update --bogus)" = 64
check "with the usage" grep -q '^Usage: scripts/update-fault-matrix.sh' "$scratch/out"
check "and nothing changed" test "$(cat "$docs")" = "other matrix"

check_done
