#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, the Debian package check, the same
# tests built with AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers of the receive
# path, of the record's CSV and of the provisioning plan, the Windows build under Wine and the set-up on a fresh Debian 13.
# This full run is what must pass before a change lands.
# With --quick, only the normal build and its tests: a few minutes, for every day.
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: scripts/test.sh [--quick]
  (none)     every test: the normal build, the Debian package check, the sanitizer build,
             60 s of fuzzing for each fuzzer, the Windows build under Wine and the set-up
             on a fresh Debian 13; what must pass before a change lands (about 36 minutes)
  --quick    the normal build and its tests only, for every day (a few minutes)
  --help     this text
EOF
}

quick=""
for option in "$@"; do
    case $option in
        --quick) quick=yes ;;
        -h | --help) usage; exit 0 ;;
        *) printf 'scripts/test.sh: unknown option %s\n' "$option" >&2; usage >&2; exit 64 ;;
    esac
done

cd "$(dirname "$0")/.."
top=$PWD
jobs=$(nproc)

# The quick run needs only what the tool itself needs.
if [ -n "$quick" ]; then scripts/deps.sh run; else scripts/deps.sh test; fi

# Each step says how long the run has taken so far, so a slow stage shows in the log.
step() { printf '\n==== %s (%d s since the start)\n' "$*" "$SECONDS"; }

step "build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"

step "tests"
ctest --test-dir build --output-on-failure -j"$jobs"

if [ -n "$quick" ]; then
    step "the quick tests passed (the full run, scripts/test.sh, must pass before a change lands)"
    exit 0
fi

step "Debian package"
scripts/check-package.sh build

step "tests with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVQ880_SANITIZE=ON -DVQ880_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

step "fuzzing the receive path, the record's CSV and the plan for 60 s each"
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DVQ880_FUZZ=ON \
    -DVQ880_TESTS=OFF -DVQ880_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_receive fuzz_record fuzz_plan -j"$jobs"
mkdir -p build-fuzz/corpus build-fuzz/corpus-record build-fuzz/corpus-plan
cp tests/fuzz/plan-seeds/* build-fuzz/corpus-plan/
build-fuzz/tests/fuzz/fuzz_receive -max_total_time=60 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/ build-fuzz/corpus 2>&1 | tail -n 15
build-fuzz/tests/fuzz/fuzz_record -max_total_time=60 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/record- build-fuzz/corpus-record 2>&1 | tail -n 15
build-fuzz/tests/fuzz/fuzz_plan -max_total_time=60 -max_len=4096 -print_final_stats=1 \
    -dict=tests/fuzz/plan.dict -artifact_prefix=build-fuzz/plan- build-fuzz/corpus-plan 2>&1 |
    tail -n 15

step "the Windows build under Wine"
scripts/test-windows.sh

step "a fresh Debian 13: the set-up, the quick tests and the package"
scripts/test-debian13.sh

step "all tests passed"
