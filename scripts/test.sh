#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, the same tests built with
# AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzzer of the receive path.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
jobs=$(nproc)

scripts/deps.sh test

step() { printf '\n==== %s\n' "$*"; }

step "build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"

step "tests"
ctest --test-dir build --output-on-failure -j"$jobs"

step "Debian package"
scripts/check-package.sh build

step "tests with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVQ880_SANITIZE=ON -DVQ880_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

step "fuzzing the receive path for 60 s"
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DVQ880_FUZZ=ON \
    -DVQ880_TESTS=OFF -DVQ880_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_receive -j"$jobs"
mkdir -p build-fuzz/corpus
build-fuzz/tests/fuzz/fuzz_receive -max_total_time=60 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/ build-fuzz/corpus 2>&1 | tail -n 15

step "the Windows build under Wine"
scripts/test-windows.sh

step "all tests passed"
