#!/usr/bin/env bash
# Builds and runs every test: the normal build, then the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLION_BENCH=OFF
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --timeout 600 | tee build/ctest.log

echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLION_SANITIZE=ON \
      -DQUILLION_BENCH=OFF
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
ctest --test-dir build-asan -j"$jobs" --timeout 900 | tee build-asan/ctest.log

if [ -f fuzz/CMakeLists.txt ]; then
    echo "== fuzz (bounded; libFuzzer's progress goes to build-fuzz.log)"
    if ! bash scripts/run-fuzz.sh > build-fuzz.log 2>&1; then
        tail -60 build-fuzz.log
        echo "fuzz: a finding (see above)" >&2
        exit 1
    fi
    grep -E '^(== fuzz|Done )' build-fuzz.log
fi

echo "== summary"
echo "normal build:    $(grep -E 'tests passed' build/ctest.log)"
echo "sanitized build: $(grep -E 'tests passed' build-asan/ctest.log)"
