#!/usr/bin/env bash
# pdf_sign.sh QNSCRIPT MODULE: a script creates "Quillion2.PdfSign" by ProgID, prepares a
# signature, this test signs the bytes with openssl cms, the script inserts the value, and
# qpdf --check and pdfsig check the signed document.
set -euo pipefail
QNSCRIPT=$1
export QUILLION_MODULE=$2
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/q2pdf.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export TMPDIR=$WORK QUILLION_HOME=$WORK/home
mkdir -p "$QUILLION_HOME"
fail() { echo "FAIL: $*" >&2; exit 1; }

# A three-page document whose second page is rotated, through qpdf.
python3 "$HERE/../../../bench/pdf/MakePdf.py" "$WORK/one.pdf" 1 0
qpdf --empty --pages "$WORK/one.pdf" "$WORK/one.pdf" "$WORK/one.pdf" -- --rotate=+90:2 \
    --object-streams=disable "$WORK/doc.pdf"
qpdf --object-streams=disable --encrypt "" owner 256 -- "$WORK/one.pdf" \
    "$WORK/encrypted.pdf"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Prueba PDF" \
    -keyout "$WORK/key.pem" -out "$WORK/cert.pem" 2>/dev/null

"$QNSCRIPT" "$HERE/pdf_sign.js" "$WORK/doc.pdf" "$WORK" "$WORK/encrypted.pdf" > "$WORK/out.txt" 2>&1 &
script=$!
for _ in $(seq 600); do
    [ -f "$WORK/tosign.bin" ] && break
    kill -0 $script 2>/dev/null || break
    sleep 0.1
done
[ -f "$WORK/tosign.bin" ] || { cat "$WORK/out.txt"; fail "no bytes to sign"; }
sleep 0.2
openssl cms -sign -binary -outform DER -nosmimecap -in "$WORK/tosign.bin" \
    -signer "$WORK/cert.pem" -inkey "$WORK/key.pem" -out "$WORK/sig.der"
od -An -v -tx1 "$WORK/sig.der" | tr -d ' \n' | tr a-f A-F > "$WORK/sig.tmp"
mv "$WORK/sig.tmp" "$WORK/sig.hex"
wait $script || { cat "$WORK/out.txt"; fail "script failed"; }
grep -qx OK "$WORK/out.txt" || { cat "$WORK/out.txt"; fail "script output"; }

qpdf --check "$WORK/signed.pdf" > "$WORK/qpdf.txt" || { cat "$WORK/qpdf.txt"; fail "qpdf --check"; }
pdfsig "$WORK/signed.pdf" > "$WORK/pdfsig.txt" 2>&1 || true
grep -q "Signature1" "$WORK/pdfsig.txt" || { cat "$WORK/pdfsig.txt"; fail "field name"; }
grep -q "Signature is Valid" "$WORK/pdfsig.txt" || { cat "$WORK/pdfsig.txt"; fail "signature"; }
grep -q "CPdfSign::CreateSign()  :: Entrando." "$WORK/QuillionCOM.log" || fail "log line"
echo OK
