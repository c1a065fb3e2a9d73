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

. "$root/bench/measure.sh"
# runs NAME COMMAND...: $runs whole runs of COMMAND, figures kept under NAME.
runs_of() {
    local name=$1
    shift
    for _ in $(seq "$runs"); do
        timed "$name" "$@"
        rm -f "$work/QuillionCOM.log" "$work/logged/QuillionCOM.log"
    done
}
show() { # label NAME
    printf '%-44s %7.2fs  first %7.2fs  peak %5d MiB\n' "$1" "$(median "$2" 1)" "$(first "$2" 1)" \
        "$(mib "$(median "$2" 2)")"
}

# Outputs checked once.
TMPDIR=$work/quiet "$qnscript" "$root/bench/large/roundtrip.js" "$work/128.bin" "$work/back.bin"
cmp "$work/128.bin" "$work/back.bin" || { echo "round trip changed the bytes"; exit 1; }
TMPDIR=$work/quiet "$qnscript" "$root/bench/large/pdfsign.js" "$work/100.pdf" "$work/signed.pdf"
qpdf --check "$work/signed.pdf" > /dev/null || { echo "the signed PDF does not check"; exit 1; }
rm -f "$work/back.bin" "$work/signed.pdf"

runs_of node_trip node "$root/bench/large/roundtrip.node.js" "$work/128.bin"
runs_of trip env TMPDIR="$work/logged" "$qnscript" "$root/bench/large/roundtrip.js" "$work/128.bin"
runs_of trip_quiet env TMPDIR="$work/quiet" "$qnscript" "$root/bench/large/roundtrip.js" "$work/128.bin"
runs_of qpdf_copy qpdf "$work/100.pdf" "$work/out.pdf"
runs_of sign env TMPDIR="$work/logged" "$qnscript" "$root/bench/large/pdfsign.js" "$work/100.pdf" "$work/out.pdf"
runs_of sign_quiet env TMPDIR="$work/quiet" "$qnscript" "$root/bench/large/pdfsign.js" "$work/100.pdf" "$work/out.pdf"

echo "== 128 MiB round trip (median of $runs)"
show "node" node_trip
show "qnscript, default log" trip
show "qnscript, LOG_NONE" trip_quiet
echo "ratio to node: $(ratio "$(median trip 1)" "$(median node_trip 1)") (target <= 1.2); default / LOG_NONE: $(ratio "$(median trip 1)" "$(median trip_quiet 1)") (target <= 1.1)"
echo "== 100 MiB PdfSign sequence (median of $runs)"
doc_kib=$(( $(stat -c %s "$work/100.pdf") / 1024 ))
show "qpdf in.pdf out.pdf" qpdf_copy
show "qnscript, default log" sign
show "qnscript, LOG_NONE" sign_quiet
echo "ratio to qpdf: $(ratio "$(median sign 1)" "$(median qpdf_copy 1)") (target <= 0.5); default / LOG_NONE: $(ratio "$(median sign 1)" "$(median sign_quiet 1)") (target <= 1.1); peak / document: $(ratio "$(median sign 2)" "$doc_kib") (target <= 5)"
