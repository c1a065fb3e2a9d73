#!/usr/bin/env bash
# Builds and runs every test, then the fuzzers (AddressSanitizer and UndefinedBehaviorSanitizer)
# for a bounded time and, on the fuzzers' instrumented library, the unit tests of the engines
# that read untrusted input. The whole suite under the sanitizers is
# scripts/run-sanitized-tests.sh: together the two no longer fit the time a CI run is given on
# two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLION_BENCH=OFF
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --timeout 600 | tee build/ctest.log

if [ -f fuzz/CMakeLists.txt ]; then
    echo "== fuzz (bounded; libFuzzer's progress goes to build-fuzz.log)"
    if ! bash scripts/run-fuzz.sh > build-fuzz.log 2>&1; then
        tail -60 build-fuzz.log
        echo "fuzz: a finding (see above)" >&2
        exit 1
    fi
    grep -E '^(== fuzz|Done )' build-fuzz.log
    echo "== the unit tests of the engines that read untrusted input, under the sanitizers"
    ctest --test-dir build-fuzz -j"$jobs" --timeout 600 | tee build-fuzz/ctest.log
fi

echo "== summary"
echo "normal build:    $(grep -E 'tests passed' build/ctest.log)"
if [ -f build-fuzz/ctest.log ]; then
    echo "sanitized units: $(grep -E 'tests passed' build-fuzz/ctest.log)"
fi
