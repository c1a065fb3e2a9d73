#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a bounded time.
# Exits non-zero on any crash, leak or sanitizer report.
# FUZZ_SECONDS (default 90) is the total time shared by the targets.
set -euo pipefail
cd "$(dirname "$0")/.."

total=${FUZZ_SECONDS:-90}
targets=(pdf signeddata base64 properties store xmlverify)
per_target=$(( total / ${#targets[@]} ))

cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-fuzz -j2

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

status=0
for target in "${targets[@]}"; do
    work=$(mktemp -d)
    artifacts="build-fuzz/artifacts/${target}/"
    mkdir -p "$artifacts"
    echo "== fuzz ${target} for ${per_target}s"
    if ! (cd "$work" && TMPDIR="$work" "$OLDPWD/build-fuzz/${target}_fuzzer" \
            -max_total_time="$per_target" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
            -print_final_stats=1 -artifact_prefix="$OLDPWD/$artifacts" \
            "$work" "$OLDPWD/fuzz/corpus/${target}"); then
        echo "fuzz ${target}: finding saved under ${artifacts}" >&2
        status=1
    fi
    rm -rf "$work"
done
exit $status
