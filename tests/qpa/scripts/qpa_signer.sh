#!/usr/bin/env bash
# qpa_signer.sh QNSCRIPT MODULE QNCERT: QPASigner signs with the demonstration signer of
# qncert; pdfsig and qpdf check the documents, pdftoppm shows the visible signature drawn, and
# QPASigner checks a signature that pdfsig made with the same key from an NSS database.
MINE=$(cd "$(dirname "$0")" && pwd)
source "$MINE/../../scripts/harness.sh" "$@"
QNCERT=$3
for tool in pdfsig qpdf pdftoppm certutil pk12util; do
    command -v "$tool" > /dev/null || fail "$tool is missing (scripts/install-deps.sh)"
done
cat "$HERE/lib.js" "$MINE/qpa_signer.js" > "$WORK/qpa_signer.js"
qpa() { "$QNSCRIPT" "$WORK/qpa_signer.js" "$@"; }

"$QNCERT" demo > /dev/null
SAMPLE=$MINE/../../../examples/sample_pdf.py
python3 "$SAMPLE" document "$WORK/doc.pdf"
python3 "$SAMPLE" picture "$WORK/red.pdf"
pdftoppm -jpeg -r 72 -singlefile "$WORK/red.pdf" "$WORK/red"
qpdf --encrypt "" owner 256 -- "$WORK/doc.pdf" "$WORK/encrypted.pdf"

qpa sign "$WORK/doc.pdf" - "$WORK/text.pdf" > "$WORK/out.txt" || { cat "$WORK/out.txt"; fail "sign"; }
qpa sign "$WORK/doc.pdf" "$WORK/red.jpg" "$WORK/image.pdf" > "$WORK/out.txt" ||
    { cat "$WORK/out.txt"; fail "sign with an image"; }
qpa sign "$WORK/doc.pdf" - "$WORK/pades.pdf" pades > "$WORK/out.txt" ||
    { cat "$WORK/out.txt"; fail "sign PAdES"; }

for doc in text image pades; do
    qpdf --check "$WORK/$doc.pdf" > "$WORK/qpdf.txt" 2>&1 || { cat "$WORK/qpdf.txt"; fail "qpdf $doc"; }
    grep -qi "warning" "$WORK/qpdf.txt" && { cat "$WORK/qpdf.txt"; fail "qpdf warns on $doc"; }
    pdfsig "$WORK/$doc.pdf" > "$WORK/pdfsig.txt" 2>&1 || true
    for line in "Signature Field Name: Signature1" "Signer Certificate Common Name: Demo Firma" \
                "Signature Validation: Signature is Valid."; do
        grep -qF -- "$line" "$WORK/pdfsig.txt" || { cat "$WORK/pdfsig.txt"; fail "$doc: $line"; }
    done
done
grep -qF "Signature Type: adbe.pkcs7.detached" <(pdfsig "$WORK/text.pdf" 2>&1) || fail "PKCS#7 type"
grep -qF "Signature Type: ETSI.CAdES.detached" <(pdfsig "$WORK/pades.pdf" 2>&1) || fail "PAdES type"

# The signature rectangle (200, 100) - (475, 175) of the page, drawn: the text changes pixels
# inside it and none outside; the JPEG fills it with red.
for doc in doc text image; do
    pdftoppm -r 72 -f 1 -l 1 -singlefile "$WORK/$doc.pdf" "$WORK/$doc-page"
done
read -r inside outside red < <(python3 "$MINE/pages.py" "$WORK/doc-page.ppm" \
    "$WORK/text-page.ppm" 200 100 475 175)
[ "$inside" -gt 100 ] || fail "no text drawn in the signature ($inside pixels changed)"
[ "$outside" -eq 0 ] || fail "$outside pixels changed outside the signature"
[ "$red" -eq 0 ] || fail "red without an image"
read -r inside outside red < <(python3 "$MINE/pages.py" "$WORK/doc-page.ppm" \
    "$WORK/image-page.ppm" 200 100 475 175)
[ "$red" -gt $((275 * 75 / 2)) ] || fail "the JPEG is not drawn ($red red pixels)"
[ "$outside" -eq 0 ] || fail "$outside pixels changed outside the signature"

# Our own signatures are valid; one changed byte of a signed range is a bad signature.
for doc in text image pades; do
    qpa status "$WORK/$doc.pdf" > "$WORK/status.txt" || { cat "$WORK/status.txt"; fail "status $doc"; }
    grep -qx "status 0 0 No hay ningun error" "$WORK/status.txt" || { cat "$WORK/status.txt"; fail "status $doc"; }
done
python3 - "$WORK/text.pdf" "$WORK/changed.pdf" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
at = data.index(b"Contrato de prueba")
data[at] = ord("K")
open(sys.argv[2], "wb").write(data)
PY
qpa status "$WORK/changed.pdf" > "$WORK/status.txt" || { cat "$WORK/status.txt"; fail "status changed"; }
grep -q "^status 0 $(( 0x80090006 - 0x100000000 )) " "$WORK/status.txt" ||
    { cat "$WORK/status.txt"; fail "a changed byte is not a bad signature"; }

# A signature made by another tool, with the same key and certificate in an NSS database.
my=$QUILLION_HOME/stores/CurrentUser/MY
for key in "$my"/*.key; do
    cert=${key%.key}.cer
    if openssl x509 -inform DER -in "$cert" -noout -subject | grep -q "Demo Firma"; then
        openssl x509 -inform DER -in "$cert" -out "$WORK/signer.pem"
        openssl pkcs12 -export -inkey "$key" -in "$WORK/signer.pem" -name demo -passout pass: \
            -out "$WORK/signer.p12"
    fi
done
[ -f "$WORK/signer.p12" ] || fail "no demonstration signer"
mkdir "$WORK/nss"
certutil -N -d "sql:$WORK/nss" --empty-password
pk12util -i "$WORK/signer.p12" -d "sql:$WORK/nss" -W "" > /dev/null
pdfsig -add-signature -nssdir "sql:$WORK/nss" -nick demo -new-signature-field-name Peer \
    "$WORK/doc.pdf" "$WORK/peer.pdf" > "$WORK/pdfsig.txt" 2>&1 || { cat "$WORK/pdfsig.txt"; fail "pdfsig -add-signature"; }
qpa status "$WORK/peer.pdf" > "$WORK/status.txt" || { cat "$WORK/status.txt"; fail "status peer"; }
grep -qx "status 0 0 No hay ningun error" "$WORK/status.txt" || { cat "$WORK/status.txt"; fail "status peer"; }

qpa errors "$WORK/encrypted.pdf" > "$WORK/out.txt" || { cat "$WORK/out.txt"; fail "errors"; }
grep -q "INFO: Entro en Load de Quillion." "$WORK/QuillionCOM.log" || fail "log line"
echo OK
