#!/usr/bin/env bash
# Benchmark of detached signing and verification (run by hand, not by CTest), on one file
# (1 GiB by default, SIZE_MIB to change) and one RSA-2048 key, beside openssl cms:
#  1. QNSignData.sign, CAdES detached, SHA-256 vs
#     openssl cms -sign -binary -md sha256 -outform DER (detached)        target <= 1.1x
#  2. QNVerifier.verify, detached vs
#     openssl cms -verify -binary -inform DER -content                    target <= 1.1x
#  3. peak RSS of the script that loads the file and signs it <= size + 128 MiB
# Our figures are the times of the sign and verify calls measured inside the script (the
# file is loaded before them); the openssl figures are whole runs (they read the file from
# the page cache as they hash it). The load time is printed too.
# Usage: bench/signing/run.sh [BUILD_DIR]   (default: build-bench, a Release build)
set -euo pipefail
cd "$(dirname "$0")/../.."
here=$(pwd)/bench/signing
build=${1:-build-bench}
if [ ! -x "$build/bin/qnscript" ] || [ ! -f "$build/bin/libquillion2.so" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLION_TESTS=OFF
    cmake --build "$build" -j2 --target qnscript quillion2
fi
build=$(cd "$build" && pwd)
qnscript=$build/bin/qnscript
export QUILLION_MODULE=$build/bin/libquillion2.so

work=$(mktemp -d "${TMPDIR:-/tmp}/q2signbench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work QUILLION_HOME=$work/home
my=$QUILLION_HOME/stores/CurrentUser/MY
mkdir -p "$my"
printf 'LogLevel=LOG_NONE\n' > "$work/QuillionCOM.properties"

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/C=ES/O=Banco/CN=Firma Banco" \
    -addext "keyUsage=critical,digitalSignature,nonRepudiation" \
    -keyout "$my/signer.key" -out "$my/signer.pem" 2>/dev/null
chmod 600 "$my/signer.key"

size_mib=${SIZE_MIB:-1024}
file=$work/big.bin
head -c $((size_mib * 1024 * 1024)) /dev/urandom > "$file"
cat "$file" > /dev/null

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }
seconds() { # runs a command, prints its wall time in seconds
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

echo "== ${size_mib} MiB file, RSA-2048, SHA-256 ($(uptime | sed 's/.*load/load/'))"
ours_sign="" ours_load="" theirs_sign="" ours_verify="" theirs_verify=""
for _ in 1 2 3; do
    read -r _ load _ sign < <("$qnscript" "$here/sign.js" "$file" "$work/ours.der" 7)
    ours_sign=$(smaller "$(awk -v m="$sign" 'BEGIN { print m / 1000 }')" "$ours_sign")
    ours_load=$(smaller "$(awk -v m="$load" 'BEGIN { print m / 1000 }')" "$ours_load")
    theirs_sign=$(smaller "$(seconds openssl cms -sign -binary -md sha256 -outform DER \
        -in "$file" -signer "$my/signer.pem" -inkey "$my/signer.key" -out "$work/theirs.der")" \
        "$theirs_sign")
done
printf 'sign (detached CAdES): %.3fs   openssl cms -sign: %.3fs   ratio %s (target <= 1.1)   [load %.3fs]\n' \
    "$ours_sign" "$theirs_sign" "$(ratio "$ours_sign" "$theirs_sign")" "$ours_load"

# Our signature must be good before its time means anything; both verifiers then check
# openssl's signature.
openssl cms -verify -binary -inform DER -in "$work/ours.der" -content "$file" -noverify \
    -out /dev/null 2>/dev/null || { echo "openssl does not verify our signature"; exit 1; }
for _ in 1 2 3; do
    read -r _ verify < <("$qnscript" "$here/verify.js" "$file" "$work/theirs.der")
    ours_verify=$(smaller "$(awk -v m="$verify" 'BEGIN { print m / 1000 }')" "$ours_verify")
    theirs_verify=$(smaller "$(seconds openssl cms -verify -binary -inform DER \
        -in "$work/theirs.der" -content "$file" -CAfile "$my/signer.pem" -purpose any \
        -out /dev/null)" "$theirs_verify")
done
printf 'verify (detached): %.3fs   openssl cms -verify: %.3fs   ratio %s (target <= 1.1)\n' \
    "$ours_verify" "$theirs_verify" "$(ratio "$ours_verify" "$theirs_verify")"

peak=$(/usr/bin/time -v "$qnscript" "$here/sign.js" "$file" "$work/ours.der" 7 2>&1 >/dev/null |
    awk '/Maximum resident set size/ { print int($6 / 1024) }')
echo "peak RSS of load + sign: ${peak} MiB (limit $((size_mib + 128)) MiB)"
