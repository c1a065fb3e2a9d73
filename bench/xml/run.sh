#!/usr/bin/env bash
# Benchmark of XML signatures (run by hand, not by CTest): whole processes on one document of
# SIZE_MIB MiB (20 by default; bench/xml/MakeDocument.py), RSA-2048, SHA-1:
#  1. qnscript sign.js (load, QNSignData.sign enveloped, save) vs xmlsec1 --sign of the same
#     document with an enveloped-signature template                     target <= 1.2x
#  2. qnscript verify.js (load, QNVerifier.verify with the chain check) vs xmlsec1 --verify,
#     both on the document xmlsec1 signed                               target <= 1.2x
#  3. peak RSS of each process                             target <= 6x the document size
# Each figure: the median of RUNS runs (5 by default) and the first run, wall time and peak
# RSS from /usr/bin/time -v. Our signature's DigestValue must equal the one xmlsec1 computed
# for the same content (xmlsec1 runs the XPath transform of our reference too slowly to
# verify a document this large; the tests have it verify smaller ones).
# Usage: bench/xml/run.sh [BUILD_DIR]   (default: build-bench, a Release build)
set -euo pipefail
cd "$(dirname "$0")/../.."
here=$(pwd)/bench/xml
build=${1:-build-bench}
if [ ! -x "$build/bin/qnscript" ] || [ ! -f "$build/bin/libquillion2.so" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLION_TESTS=OFF
    cmake --build "$build" -j2 --target qnscript quillion2
fi
build=$(cd "$build" && pwd)
qnscript=$build/bin/qnscript
export QUILLION_MODULE=$build/bin/libquillion2.so

work=$(mktemp -d "${TMPDIR:-/tmp}/q2xmlbench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work QUILLION_HOME=$work/home
my=$QUILLION_HOME/stores/CurrentUser/MY
root=$QUILLION_HOME/stores/CurrentUser/ROOT
mkdir -p "$my" "$root"
printf 'LogLevel=LOG_NONE\n' > "$work/QuillionCOM.properties"
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/C=ES/O=Banco/CN=Raiz Banco" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
    -keyout "$work/root.key" -out "$root/root.pem" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/C=ES/O=Banco/CN=Firma Banco" \
    -keyout "$my/signer.key" -out "$work/signer.csr" 2>/dev/null
openssl x509 -req -in "$work/signer.csr" -CA "$root/root.pem" -CAkey "$work/root.key" \
    -set_serial 7 -days 30 -out "$my/signer.pem" 2>/dev/null
chmod 600 "$my/signer.key"

size_mib=${SIZE_MIB:-20}
runs=${RUNS:-5}
python3 "$here/MakeDocument.py" "$work/template.xml" "$size_mib"
# Our signer gets the document without the template.
python3 - "$work/template.xml" "$work/doc.xml" <<'PY'
import sys
text = open(sys.argv[1], encoding="utf-8").read()
start = text.index("<ds:Signature")
end = text.index("</ds:Signature>") + len("</ds:Signature>")
open(sys.argv[2], "w", encoding="utf-8").write(text[:start] + text[end:])
PY
# xmlsec1's template also asks for the certificate in KeyInfo, which our verifier needs.
sed -i 's|<ds:SignatureValue/></ds:Signature>|<ds:SignatureValue/><ds:KeyInfo><ds:X509Data/></ds:KeyInfo></ds:Signature>|' \
    "$work/template.xml"
cat "$work/doc.xml" "$work/template.xml" > /dev/null
doc_kib=$(($(stat -c %s "$work/doc.xml") / 1024))

source "$here/../measure.sh"

echo "== $(mib "$doc_kib") MiB document, RSA-2048, SHA-1, median of $runs runs ($(uptime | sed 's/.*load/load/'))"
for _ in $(seq "$runs"); do
    timed ours-sign "$qnscript" "$here/sign.js" "$work/doc.xml" "$work/ours.xml"
    timed theirs-sign xmlsec1 --sign --privkey-pem "$my/signer.key,$my/signer.pem" \
        --output "$work/theirs.xml" "$work/template.xml"
done
for _ in $(seq "$runs"); do
    timed ours-verify "$qnscript" "$here/verify.js" "$work/theirs.xml"
    timed theirs-verify xmlsec1 --verify --trusted-pem "$root/root.pem" "$work/theirs.xml"
done
# Both digests of the same content agree.
digest() { grep -o '<ds:DigestValue>[^<]*' "$1" | head -1 | cut -d'>' -f2; }
[ "$(digest "$work/ours.xml")" = "$(digest "$work/theirs.xml")" ] ||
    { echo "our digest differs from xmlsec1's"; exit 1; }

report() { # what ours theirs
    local o t
    o=$(median "$2" 1)
    t=$(median "$3" 1)
    printf '%-7s ours %6.2fs (first %6.2fs, peak %5s MiB = %.2fx)   xmlsec1 %6.2fs (first %6.2fs, peak %5s MiB)   ratio %s (target <= 1.2)\n' \
        "$1" "$o" "$(first "$2" 1)" "$(mib "$(median "$2" 2)")" \
        "$(awk -v k="$(median "$2" 2)" -v d="$doc_kib" 'BEGIN { print k / d }')" \
        "$t" "$(first "$3" 1)" "$(mib "$(median "$3" 2)")" "$(ratio "$o" "$t")"
}
report sign ours-sign theirs-sign
report verify ours-verify theirs-verify
