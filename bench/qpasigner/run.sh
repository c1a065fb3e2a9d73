#!/usr/bin/env bash
# QPASigner benchmark (run by hand, never by CTest). Whole processes on one PDF of 100 MiB
# (SIZE_MIB to change) and one key, the demonstration signer of `qncert demo`:
#  - ours:   qnscript sign.js (loadFileWithPath + QPASigner.sign + saveFile)
#  - theirs: pdfsig -add-signature, with an NSS database holding the same key and certificate
#    (SHA-256, the only digest it signs with; QPASigner always signs with SHA-1)
# For each: the first run, the median of RUNS runs (5 by default, at least 3) and the peak
# resident memory (/usr/bin/time). Targets: ours <= 1.0x theirs in time, and ours at most 3x
# the document's size in memory.
# The log is written as a fresh installation writes it (every level; LOG_LEVEL to change).
# Usage: bench/qpasigner/run.sh [BUILD_DIR]   (default: build-bench, a Release build)
set -euo pipefail
cd "$(dirname "$0")/../.."
here=$(pwd)/bench/qpasigner
build=${1:-build-bench}
if [ ! -x "$build/bin/qnscript" ] || [ ! -f "$build/bin/libquillion2.so" ] ||
   [ ! -x "$build/bin/qncert" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLION_TESTS=OFF
    cmake --build "$build" -j2 --target qnscript quillion2 qncert
fi
build=$(cd "$build" && pwd)
export QUILLION_MODULE=$build/bin/libquillion2.so
for tool in pdfsig certutil pk12util /usr/bin/time; do
    command -v "$tool" > /dev/null || { echo "$tool is missing (scripts/install-deps.sh)"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/q2qpabench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work QUILLION_HOME=$work/home
if [ -n "${LOG_LEVEL:-}" ]; then
    printf 'LogLevel=%s\n' "$LOG_LEVEL" > "$work/QuillionCOM.properties"
fi
"$build/bin/qncert" demo > /dev/null

# The same key and certificate for pdfsig.
# The store lists its certificates in file-name order; position is the signer's.
my=$QUILLION_HOME/stores/CurrentUser/MY
position=0
for cert in "$my"/*.cer; do
    if openssl x509 -inform DER -in "$cert" -noout -subject | grep -q "Demo Firma"; then
        openssl x509 -inform DER -in "$cert" -out "$work/signer.pem"
        openssl pkcs12 -export -inkey "${cert%.cer}.key" -in "$work/signer.pem" -name demo \
            -passout pass: -out "$work/signer.p12"
        break
    fi
    position=$((position + 1))
done
mkdir "$work/nss"
certutil -N -d "sql:$work/nss" --empty-password
pk12util -i "$work/signer.p12" -d "sql:$work/nss" -W "" > /dev/null

size_mib=${SIZE_MIB:-100}
runs=${RUNS:-5}
[ "$runs" -ge 3 ] || runs=3
doc=$work/doc.pdf
python3 bench/pdf/MakePdf.py "$doc" 20 "$size_mib"
doc_kib=$(( $(stat -c %s "$doc") / 1024 ))

ours=("$build/bin/qnscript" "$here/sign.js" "$doc" "$work/ours.pdf" "$position")
theirs=(pdfsig -add-signature -nssdir "sql:$work/nss" -nick demo
        -new-signature-field-name Signature1 "$doc" "$work/theirs.pdf")
# run NAME COMMAND...: one process; appends "seconds peak-KiB" to $work/NAME.times
run() {
    local name=$1 start end
    shift
    rm -f "$work/$name.pdf"
    start=$(date +%s.%N)
    /usr/bin/time -f '%M' -o "$work/rss" "$@" > /dev/null 2> "$work/$name.err" ||
        { cat "$work/$name.err"; echo "$name failed"; exit 1; }
    end=$(date +%s.%N)
    echo "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }') $(cat "$work/rss")" \
        >> "$work/$name.times"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== ${size_mib} MiB PDF ($doc_kib KiB), RSA-2048, $runs runs each ($(uptime | sed 's/.*load/load/'))"
for _ in $(seq "$runs"); do
    run ours "${ours[@]}"
    run theirs "${theirs[@]}"
done
# Both documents must be what they claim before their times mean anything.
for name in ours theirs; do
    pdfsig "$work/$name.pdf" 2> /dev/null | grep -q "Signature is Valid" ||
        { echo "$name: the signature does not verify"; exit 1; }
done

report() { # NAME
    local first median_s peak
    first=$(head -1 "$work/$1.times" | cut -d' ' -f1)
    median_s=$(cut -d' ' -f1 "$work/$1.times" | median)
    peak=$(cut -d' ' -f2 "$work/$1.times" | sort -g | tail -1)
    printf '%-7s first %.3f s   median %.3f s   peak %d MiB (%.2fx the document)   [%s]\n' \
        "$1" "$first" "$median_s" $((peak / 1024)) \
        "$(awk -v p="$peak" -v d="$doc_kib" 'BEGIN { print p / d }')" \
        "$(cut -d' ' -f1 "$work/$1.times" | xargs printf '%.3f ' | sed 's/ $//')"
    echo "$median_s $peak" > "$work/$1.summary"
}
report ours
report theirs
read -r ours_s ours_peak < "$work/ours.summary"
read -r theirs_s _ < "$work/theirs.summary"
printf 'time: ours / pdfsig %.2f (target <= 1.0)   memory: %.2fx the document (target <= 3)\n' \
    "$(awk -v a="$ours_s" -v b="$theirs_s" 'BEGIN { print a / b }')" \
    "$(awk -v p="$ours_peak" -v d="$doc_kib" 'BEGIN { print p / d }')"
