#!/usr/bin/env bash
# xmlsign.sh QNSCRIPT MODULE QNCERT: xmlsign.js signs with the demo PKI of qncert, fetching
# from a loopback HTTP server; xmlsec1 checks every signature it wrote.
MINE=$(cd "$(dirname "$0")" && pwd)
source "$MINE/../../scripts/harness.sh" "$1" "$2"
QNCERT=$3
"$QNCERT" demo > /dev/null
"$QNCERT" export 1 --store ROOT --out "$WORK/root.pem"
printf 'LogLevel=LOG_ALL\n' > "$WORK/QuillionCOM.properties"

FILES=$WORK/served
mkdir -p "$FILES"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<doc>\n  <a Id="p1">a\303\261o</a>\n  <b>dos</b>\n</doc>\n' > "$WORK/doc.xml"
printf '<pedido  numero="7">\n  <linea>uno</linea>\n</pedido>\n' > "$FILES/pedido.xml"
printf '<politica><texto>firmar</texto></politica>' > "$FILES/politica.xml"
for i in $(seq 1 200); do echo "linea $i de un texto que no es XML"; done > "$FILES/texto.txt"
head -c 3000 /dev/urandom > "$WORK/datos.bin"
openssl dgst -sha1 -binary "$WORK/datos.bin" | openssl base64 -A > "$WORK/datos.sha1"

python3 "$HERE/../http/http_server.py" --files "$FILES" > "$WORK/port" &
SERVER=$!
trap 'kill $SERVER 2>/dev/null || true; wait $SERVER 2>/dev/null || true; rm -rf "$WORK"' EXIT
for _ in $(seq 1 100); do [ -s "$WORK/port" ] && break; sleep 0.1; done
PORT=$(head -n 1 "$WORK/port")
[ -n "$PORT" ] || fail "the HTTP server did not start"
BASE=http://127.0.0.1:$PORT/files/

cat "$HERE/lib.js" "$MINE/xmlsign.js" > "$WORK/xmlsign.js"
"$QNSCRIPT" "$WORK/xmlsign.js" "$WORK" "$BASE" > "$WORK/out.txt" 2>&1 || { cat "$WORK/out.txt"; fail "script failed"; }
grep -qx OK "$WORK/out.txt" || { cat "$WORK/out.txt"; fail "script output"; }

IDS="--id-attr:Id SignatureProperty --id-attr:Id http://uri.etsi.org/01903/v1.2.2#:SignedProperties"
verify() { # file [extra options...]
    local file=$1
    shift
    xmlsec1 --verify --trusted-pem "$WORK/root.pem" $IDS "$@" "$WORK/$file" > "$WORK/$file.out" 2>&1 ||
        { cat "$WORK/$file.out"; fail "xmlsec1 refuses $file"; }
}
# Mode 2 puts no certificate in KeyInfo: the signer's key is given to the peer.
SIGNER=$("$QNCERT" list | grep "Demo Firma" | cut -d. -f1)
"$QNCERT" export "$SIGNER" --out "$WORK/signer.pem"
verify_key() {
    local file=$1
    shift
    xmlsec1 --verify --pubkey-cert-pem "$WORK/signer.pem" $IDS "$@" "$WORK/$file" > "$WORK/$file.out" 2>&1 ||
        { cat "$WORK/$file.out"; fail "xmlsec1 refuses $file"; }
}
for f in enveloped.xml twice.xml enveloping.xml detached-xml.xml detached-text.xml \
         detached-file.xml fromhash.xml latin1.xml; do
    verify_key "$f"
done
verify_key element.xml --id-attr:Id a
verify_key override.xml --url-map:pedido.xml "$FILES/pedido.xml"
for f in xades.xml xades-twice.xml xades-timed.xml xades-x.xml; do
    verify "$f"
done
verify xades-twice.xml --id-attr:Id http://www.w3.org/2000/09/xmldsig#:Signature \
    --id-attr:Id http://www.w3.org/2000/09/xmldsig#:SignatureValue --node-id Signature2
head -c 60 "$WORK/latin1.xml" | grep -q 'encoding="ISO-8859-1"' || fail "XMLEncoding"
grep -q "$(printf 'a\361o')" "$WORK/latin1.xml" || fail "Latin-1 text"
# The signer role is logged even when empty.
grep -q "ERROR: Valor de signer Role: $(printf '\r')\$" "$WORK/QuillionCOM.log" || fail "empty role line"
grep -q "ERROR: Valor de signer Role: Firmante" "$WORK/QuillionCOM.log" || fail "role line"
echo PASS
