#!/usr/bin/env bash
# Signing documents with cross-reference streams and object streams, as whole processes: the
# qnscript signing sequence (sign.js: Set_Base64 -> CreateSign on the last page ->
# GetBytesB64ToSign -> InsertSign -> GetAllB64Bytes) beside the peer, "qpdf in.pdf out.pdf",
# on the same 2,000- and 20,000-page documents whose page tree and pages qpdf put into object
# streams, and the same sequence on the classic originals. Reports the first run and the
# median of five of each, and the 20,000 / 2,000 ratios (the classic benchmark's target: <= 12,
# linear).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${BUILD_DIR:-$root/build-bench}"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target qnscript quillion2 >/dev/null
qnscript="$build/bin/qnscript"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work" QUILLION_HOME="$work/home"

seconds() { # wall time of one whole process
    local s e
    s=$(date +%s.%N)
    "$@" >/dev/null
    e=$(date +%s.%N)
    printf '%.3f' "$(echo "$e - $s" | bc -l)"
}

runs() { # "first median" of five whole-process runs
    local all=()
    for _ in 1 2 3 4 5; do all+=("$(seconds "$@")"); done
    local median
    median=$(printf '%s\n' "${all[@]}" | sort -n | sed -n 3p)
    echo "${all[0]} $median"
}

declare -A median
for pages in 2000 20000; do
    python3 "$root/bench/pdf/MakePdf.py" "$work/c$pages.pdf" "$pages" 0
    qpdf --object-streams=generate "$work/c$pages.pdf" "$work/s$pages.pdf"
    read -r first med < <(runs "$qnscript" "$root/bench/pdf/sign.js" "$work/s$pages.pdf")
    median[script$pages]=$med
    echo "$pages pages, object streams: qnscript sign.js first $first s, median $med s"
    read -r first med < <(runs "$qnscript" "$root/bench/pdf/sign.js" "$work/c$pages.pdf")
    median[classic$pages]=$med
    echo "$pages pages, classic table: qnscript sign.js first $first s, median $med s"
    read -r first med < <(runs qpdf "$work/s$pages.pdf" "$work/out.pdf")
    median[qpdf$pages]=$med
    echo "$pages pages, object streams: qpdf rewrite first $first s, median $med s"
done
ratio() { echo "scale=3; $1 / $2" | bc -l; }
echo "20,000 / 2,000 pages, qnscript: $(ratio "${median[script20000]}" "${median[script2000]}")" \
     "(target <= 12; classic $(ratio "${median[classic20000]}" "${median[classic2000]}"));" \
     "qpdf: $(ratio "${median[qpdf20000]}" "${median[qpdf2000]}")"
echo "qnscript / qpdf rewrite: 2,000 pages $(ratio "${median[script2000]}" "${median[qpdf2000]}")," \
     "20,000 pages $(ratio "${median[script20000]}" "${median[qpdf20000]}")"
