#!/usr/bin/env bash
# Benchmark of CMS enveloping (run by hand, not by CTest): whole processes on one file
# (256 MiB by default, SIZE_MIB to change), AES-256-CBC, one RSA-2048 recipient:
#  1. qnscript seal.js (load, QNEnvelopedData.encrypt, save) vs
#     openssl cms -encrypt -aes256 -binary -outform DER                   target <= 1.2x
#  2. qnscript open.js (load, QNEnvelopedData.decrypt, save) vs
#     openssl cms -decrypt -binary -inform DER                            target <= 1.2x
#  3. peak RSS of each process                                  target <= 3x the file size
# Each figure: the median of RUNS runs (5 by default) and the first run, wall time from
# /usr/bin/time -v, which also gives the peak RSS. Each side opens what the other made.
# Usage: bench/envelopes/run.sh [BUILD_DIR]   (default: build-bench, a Release build)
set -euo pipefail
cd "$(dirname "$0")/../.."
here=$(pwd)/bench/envelopes
build=${1:-build-bench}
if [ ! -x "$build/bin/qnscript" ] || [ ! -f "$build/bin/libquillion2.so" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLION_TESTS=OFF
    cmake --build "$build" -j2 --target qnscript quillion2
fi
build=$(cd "$build" && pwd)
qnscript=$build/bin/qnscript
export QUILLION_MODULE=$build/bin/libquillion2.so

work=$(mktemp -d "${TMPDIR:-/tmp}/q2envbench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work QUILLION_HOME=$work/home
my=$QUILLION_HOME/stores/CurrentUser/MY
mkdir -p "$my"
printf 'LogLevel=LOG_NONE\n' > "$work/QuillionCOM.properties"
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/C=ES/O=Banco/CN=Cifrado Banco" \
    -keyout "$my/recipient.key" -out "$my/recipient.pem" 2>/dev/null
chmod 600 "$my/recipient.key"

size_mib=${SIZE_MIB:-256}
runs=${RUNS:-5}
file=$work/big.bin
head -c $((size_mib * 1024 * 1024)) /dev/urandom > "$file"
cat "$file" > /dev/null

source "$here/../measure.sh"

echo "== ${size_mib} MiB file, AES-256-CBC, RSA-2048, median of $runs runs ($(uptime | sed 's/.*load/load/'))"
for _ in $(seq "$runs"); do
    timed ours-seal "$qnscript" "$here/seal.js" "$file" "$work/ours.der"
    timed theirs-seal openssl cms -encrypt -aes256 -binary -outform DER -in "$file" \
        -out "$work/theirs.der" "$my/recipient.pem"
done
for _ in $(seq "$runs"); do
    timed ours-open "$qnscript" "$here/open.js" "$work/theirs.der" "$work/ours.out"
    timed theirs-open openssl cms -decrypt -binary -inform DER -in "$work/ours.der" \
        -recip "$my/recipient.pem" -inkey "$my/recipient.key" -out "$work/theirs.out"
done
cmp -s "$work/ours.out" "$file" || { echo "we opened another content"; exit 1; }
cmp -s "$work/theirs.out" "$file" || { echo "openssl opened another content"; exit 1; }

report() { # what ours theirs
    local o t
    o=$(median "$2" 1)
    t=$(median "$3" 1)
    printf '%-8s ours %6.2fs (first %6.2fs, peak %5s MiB = %.2fx)   openssl %6.2fs (first %6.2fs, peak %5s MiB)   ratio %s (target <= 1.2)\n' \
        "$1" "$o" "$(first "$2" 1)" "$(mib "$(median "$2" 2)")" \
        "$(awk -v k="$(median "$2" 2)" -v s="$size_mib" 'BEGIN { print k / 1024 / s }')" \
        "$t" "$(first "$3" 1)" "$(mib "$(median "$3" 2)")" "$(ratio "$o" "$t")"
}
report encrypt ours-seal theirs-seal
report decrypt ours-open theirs-open
echo "peak memory target: <= 3x the file ($((size_mib * 3)) MiB)"
