#!/usr/bin/env bash
# The certificate listing over stores of 500 and 2,000 certificates (qnscript, a trust entity
# and a restriction over all), against openssl storeutl -noout -text over one PEM bundle of
# the same 2,000 certificates; and a 512 MiB SHA-256 through the digest layer against
# openssl dgst. Targets: 2,000 <= 4.5 x the 500 run, 2,000 <= 2 x storeutl, digest <= 1.15 x.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target bench_certificates qnscript quillion2
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
here="$(cd "$(dirname "$0")" && pwd)"
# The machine is shared with other builds: each figure is the best of three runs, as wall
# time and as CPU time (user + system, which other load does not inflate); the ratios are
# taken on CPU time.
best_of_3() { # command...: prints "wall cpu" in seconds
    local best_wall="" best_cpu=""
    for _ in 1 2 3; do
        /usr/bin/time -f "%e %U %S" -o "$work/time.txt" "$@" > "$work/out.txt"
        read -r wall user sys < "$work/time.txt"
        cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
        best_wall=$(awk -v a="$wall" -v b="$best_wall" 'BEGIN { print (b == "" || a < b) ? a : b }')
        best_cpu=$(awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { print (b == "" || a < b) ? a : b }')
    done
    echo "$best_wall $best_cpu"
}
listing() { # N
    local dir="$work/n$1"
    "$build/bin/bench_certificates" make "$1" "$dir"
    TMPDIR="$dir" QUILLION_HOME="$dir/home" best_of_3 "$build/bin/qnscript" "$here/listing.js"
}
t500=$(listing 500)
rows500=$(cat "$work/out.txt")
t2000=$(listing 2000)
rows2000=$(cat "$work/out.txt")
tstore=$(best_of_3 openssl storeutl -noout -text "$work/n2000/bundle.pem")
set -- $t500; w500=$1 c500=$2
set -- $t2000; w2000=$1 c2000=$2
set -- $tstore; wstore=$1 cstore=$2
echo "listing 500:   wall ${w500}s cpu ${c500}s ($rows500 rows)"
echo "listing 2000:  wall ${w2000}s cpu ${c2000}s ($rows2000 rows)"
echo "storeutl 2000: wall ${wstore}s cpu ${cstore}s"
awk -v a="$c500" -v b="$c2000" -v s="$cstore" 'BEGIN {
    printf "cpu 2000/500 = %.2f (target <= 4.5)\n", b / a;
    printf "cpu 2000/storeutl = %.2f (target <= 2)\n", b / s }'

head -c 536870912 /dev/urandom > "$work/big.bin" 2>/dev/null ||
    dd if=/dev/urandom of="$work/big.bin" bs=1M count=512 status=none
tours=$(best_of_3 "$build/bin/bench_certificates" digest "$work/big.bin")
ours=$(cat "$work/out.txt")
topenssl=$(best_of_3 openssl dgst -sha256 -r "$work/big.bin")
theirs=$(cut -c1-64 "$work/out.txt")
[ "$ours" = "$theirs" ] || { echo "digest mismatch"; exit 1; }
set -- $tours; wours=$1 cours=$2
set -- $topenssl; wopenssl=$1 copenssl=$2
echo "sha256 512 MiB: ours wall ${wours}s cpu ${cours}s, openssl dgst wall ${wopenssl}s cpu ${copenssl}s"
awk -v a="$cours" -v b="$copenssl" 'BEGIN { printf "cpu digest ratio = %.2f (target <= 1.15)\n", a / b }'
