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
# User and system CPU are shown beside the elapsed time. On a virtual machine that hands freed
# memory back to its host (virtio-balloon free page reporting, a few seconds after it is freed),
# the first touch of memory the host has taken back costs system time, so a run's elapsed time
# depends on how long ago the previous process ended. PAUSE (seconds, default 0) is slept before
# every run: 0 measures runs back to back, where the memory is still backed and runs alternate
# between fast and slow; PAUSE=8 gives every run, ours and the peers', memory the host has
# taken back, as a script run now and then finds it. The two log levels alternate (ABBA...).
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
# once NAME COMMAND...: one whole run of COMMAND, figures kept under NAME.
once() {
    sleep "${PAUSE:-0}"
    timed "$@"
    rm -f "$work/out.pdf" "$work/logged/QuillionCOM.log"
}
show() { # label NAME
    printf '%-30s %6.2fs  first %6.2fs  user %5.2fs  system %5.2fs  peak %4d MiB\n' "$1" \
        "$(median "$2" 1)" "$(first "$2" 1)" "$(median "$2" 3)" "$(median "$2" 4)" \
        "$(mib "$(median "$2" 2)")"
}

# Outputs checked once.
TMPDIR=$work/quiet "$qnscript" "$root/bench/large/roundtrip.js" "$work/128.bin" "$work/back.bin"
cmp "$work/128.bin" "$work/back.bin" || { echo "round trip changed the bytes"; exit 1; }
TMPDIR=$work/quiet "$qnscript" "$root/bench/large/pdfsign.js" "$work/100.pdf" "$work/signed.pdf"
qpdf --check "$work/signed.pdf" > /dev/null || { echo "the signed PDF does not check"; exit 1; }
rm -f "$work/back.bin" "$work/signed.pdf"

trip() { # NAME LOG_FOLDER
    once "$1" env TMPDIR="$work/$2" "$qnscript" "$root/bench/large/roundtrip.js" "$work/128.bin"
}
sign() { # NAME LOG_FOLDER
    once "$1" env TMPDIR="$work/$2" "$qnscript" "$root/bench/large/pdfsign.js" "$work/100.pdf" \
        "$work/out.pdf"
}
# alternate A B: runs of the two log levels in the order A B B A A B ..., $runs of each.
alternate() {
    for round in $(seq "$runs"); do
        if [ $((round % 2)) = 1 ]; then "$1" "$2" logged && "$1" "$3" quiet; else
            "$1" "$3" quiet && "$1" "$2" logged; fi
    done
}
for _ in $(seq "$runs"); do once node_trip node "$root/bench/large/roundtrip.node.js" "$work/128.bin"; done
alternate trip trip trip_quiet
for _ in $(seq "$runs"); do once qpdf_copy qpdf "$work/100.pdf" "$work/out.pdf"; done
alternate sign sign sign_quiet

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
