#!/usr/bin/env bash
# The fault matrix in docs/fault-matrix.md is changed only by this script: it copies the matrix
# that the test tst_fault_matrix wrote into the build folder (BUILD/docs/fault-matrix.md) over
# it. When the build folder holds no matrix yet, or with --run, it builds and runs the test
# first; when the test fails, docs/fault-matrix.md is left as it is.
# Usage: scripts/update-fault-matrix.sh [--run] [BUILD]      (default build folder: build)
set -euo pipefail

usage() {
    echo "Usage: scripts/update-fault-matrix.sh [--run] [BUILD]      (default BUILD: build)"
}
run="" build=""
for arg in "$@"; do
    case $arg in
        --run) run=yes ;;
        -h | --help) usage; exit 0 ;;
        -*) echo "scripts/update-fault-matrix.sh: unknown option $arg" >&2; usage >&2; exit 64 ;;
        *) [ -z "$build" ] || { usage >&2; exit 64; }; build=$arg ;;
    esac
done
top=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "$build" ]; then build=$(realpath -m "$build"); else build=$top/build; fi
cd "$top"
report=$build/docs/fault-matrix.md

if [ -n "$run" ] || [ ! -f "$report" ]; then
    scripts/deps.sh run
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$build" -j"$(nproc)" --target tst_fault_matrix vq880-sim
    # A run that stops part-way writes no matrix: an older one must not be taken for it.
    rm -f "$report"
    if ! ctest --test-dir "$build" --output-on-failure -R '^tst_fault_matrix$'; then
        echo "tst_fault_matrix failed: docs/fault-matrix.md is left as it is" >&2
        exit 1
    fi
fi
if [ ! -f "$report" ]; then
    echo "tst_fault_matrix wrote no matrix to $report: docs/fault-matrix.md is left as it is" >&2
    exit 1
fi

if cmp -s "$report" docs/fault-matrix.md; then
    echo "docs/fault-matrix.md is up to date"
else
    cp "$report" docs/fault-matrix.md
    echo "docs/fault-matrix.md updated from $report"
fi
