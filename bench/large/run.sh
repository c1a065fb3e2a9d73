#!/usr/bin/env bash
# Large contents through the scripting boundary, as whole processes (run by hand, not by
# CTest):
#  1. a 128 MiB file: loadFileWithPath + toBASE64 + setBASE64 from a qnscript script beside
#     node doing the same (target: <= 1.2x node);
#  2. the PdfSign sequence of a script on a 100 MiB PDF (load, Set_Base64, CreateSign,
#     GetBytesB64ToSign, InsertSign, GetAllB64Bytes, setBASE64, saveFile) beside
#     "qpdf in.pdf out.pdf" (target: <= 0.5x qpdf, peak memory <= 5x the document);
#  3. both again with LogLevel=LOG_NONE (target: the default level within 10% of it).
# Every figure is the median of RUNS (default 3) runs, the first run printed beside it; peak
# memory is the largest resident set of the process (/usr/bin/time). Outputs are checked
# (cmp, qpdf --check) once, outside the timed runs.
# Usage: bench/large/run.sh [BUILD_DIR]   (default: build-bench, a Release build)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build=${1:-$root/build-bench}
if [ ! -x "$build/bin/qnscript" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLION_TESTS=OFF \
        -DQUILLION_BENCH=OFF
    cmake --build "$build" -j2 --target quillion2 qnscript
fi
build=$(cd "$build" && pwd)
qnscript=$build/bin/qnscript
export QUILLION_MODULE=$build/bin/libquillion2.so
for tool in node qpdf /usr/bin/time; do
    command -v "$tool" > /dev/null || { echo "needs $tool (apt-get install nodejs qpdf time)"; exit 1; }
done
runs=${RUNS:-3}

work=$(mktemp -d "${TMPDIR:-/tmp}/q2large.XXXXXX")
trap 'rm -rf "$work"' EXIT
export QUILLION_HOME=$work/home
mkdir -p "$QUILLION_HOME" "$work/logged" "$work/quiet"
printf 'LogLevel=LOG_NONE\n' > "$work/quiet/QuillionCOM.properties"

head -c $((128 * 1024 * 1024)) /dev/urandom > "$work/128.bin"
python3 "$root/bench/pdf/MakePdf.py" "$work/100.pdf" 20 100
cat "$work/128.bin" "$work/100.pdf" > /dev/null # warm the page cache

# measure NAME CMD...: runs CMD $runs times; prints "median_s first_s median_peak_MiB".
measure() {
    local times=() peaks=() first=""
    for _ in $(seq "$runs"); do
        local t kib
        /usr/bin/time -o "$work/time" -f '%e %M' "$@" > /dev/null 2> "$work/stderr" ||
            { echo "failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
        read -r t kib < "$work/time"
        first=${first:-$t}
        times+=("$t")
        peaks+=("$((kib / 1024))")
        rm -f "$work/QuillionCOM.log" "$work/logged/QuillionCOM.log"
    done
    printf '%s %s %s\n' "$(median "${times[@]}")" "$first" "$(median "${peaks[@]}")"
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
show() { # label "median first peak"
    read -r m f p <<< "$2"
    printf '%-44s %7.2fs  first %7.2fs  peak %5d MiB\n' "$1" "$m" "$f" "$p"
}

# Outputs checked once.
TMPDIR=$work/quiet "$qnscript" "$root/bench/large/roundtrip.js" "$work/128.bin" "$work/back.bin"
cmp "$work/128.bin" "$work/back.bin" || { echo "round trip changed the bytes"; exit 1; }
TMPDIR=$work/quiet "$qnscript" "$root/bench/large/pdfsign.js" "$work/100.pdf" "$work/signed.pdf"
qpdf --check "$work/signed.pdf" > /dev/null || { echo "the signed PDF does not check"; exit 1; }
rm -f "$work/back.bin" "$work/signed.pdf"

node_trip=$(measure node "$root/bench/large/roundtrip.node.js" "$work/128.bin")
trip=$(TMPDIR=$work/logged measure "$qnscript" "$root/bench/large/roundtrip.js" "$work/128.bin")
trip_quiet=$(TMPDIR=$work/quiet measure "$qnscript" "$root/bench/large/roundtrip.js" "$work/128.bin")
qpdf_copy=$(measure qpdf "$work/100.pdf" "$work/out.pdf")
sign=$(TMPDIR=$work/logged measure "$qnscript" "$root/bench/large/pdfsign.js" "$work/100.pdf" "$work/out.pdf")
sign_quiet=$(TMPDIR=$work/quiet measure "$qnscript" "$root/bench/large/pdfsign.js" "$work/100.pdf" "$work/out.pdf")

echo "== 128 MiB round trip (median of $runs)"
show "node" "$node_trip"
show "qnscript, default log" "$trip"
show "qnscript, LOG_NONE" "$trip_quiet"
echo "ratio to node: $(ratio "${trip%% *}" "${node_trip%% *}") (target <= 1.2); default / LOG_NONE: $(ratio "${trip%% *}" "${trip_quiet%% *}") (target <= 1.1)"
echo "== 100 MiB PdfSign sequence (median of $runs)"
doc_mib=$(( $(stat -c %s "$work/100.pdf") / 1048576 ))
show "qpdf in.pdf out.pdf" "$qpdf_copy"
show "qnscript, default log" "$sign"
show "qnscript, LOG_NONE" "$sign_quiet"
read -r _ _ sign_peak <<< "$sign"
echo "ratio to qpdf: $(ratio "${sign%% *}" "${qpdf_copy%% *}") (target <= 0.5); default / LOG_NONE: $(ratio "${sign%% *}" "${sign_quiet%% *}") (target <= 1.1); peak / document: $(ratio "$sign_peak" "$doc_mib") (target <= 5)"
