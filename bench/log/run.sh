#!/usr/bin/env bash
# Builds and runs the log benchmark: 100,000 lines to a file at the default mask, with
# LOG_NONE, and written unbuffered for comparison.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target bench_log
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/bin/bench_log" "$work"
