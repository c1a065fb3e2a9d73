#!/usr/bin/env bash
# sign.sh QNSCRIPT MODULE: sign.js signs a document with certificates of a store made with
# openssl; openssl checks every signature it wrote.
MINE=$(cd "$(dirname "$0")" && pwd)
source "$MINE/../../scripts/harness.sh" "$@"
MY=$QUILLION_HOME/stores/CurrentUser/MY
mkdir -p "$MY"

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/C=ES/O=ACME/CN=AC Firma" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
    -keyout "$WORK/ca.key" -out "$WORK/ca.pem" 2>/dev/null
issue() { # name subject keyUsage
    openssl req -newkey rsa:2048 -nodes -subj "$2" -keyout "$MY/$1.key" -out "$WORK/$1.csr" \
        2>/dev/null
    printf 'keyUsage=critical,%s\nsubjectKeyIdentifier=hash\n' "$3" > "$WORK/$1.ext"
    openssl x509 -req -in "$WORK/$1.csr" -CA "$WORK/ca.pem" -CAkey "$WORK/ca.key" \
        -CAcreateserial -days 10 -extfile "$WORK/$1.ext" -out "$MY/$1.pem" 2>/dev/null
    chmod 600 "$MY/$1.key"
}
issue 1-firma "/C=ES/O=ACME/CN=ANA FIRMA" digitalSignature,nonRepudiation
issue 2-cifrado "/C=ES/O=ACME/CN=ANA CIFRADO" keyEncipherment
printf 'Documento de prueba con acentos: canción\n' > "$WORK/doc.txt"

cat "$HERE/lib.js" "$MINE/sign.js" > "$WORK/sign.js"
"$QNSCRIPT" "$WORK/sign.js" "$WORK" > "$WORK/out.txt" 2>&1 || { cat "$WORK/out.txt"; fail "script failed"; }
grep -qx OK "$WORK/out.txt" || { cat "$WORK/out.txt"; fail "script output"; }

verify() { # message [extra options...]
    local message=$1
    shift
    openssl cms -verify -binary -inform DER -in "$WORK/$message" -CAfile "$WORK/ca.pem" "$@" \
        > "$WORK/$message.out" 2> "$WORK/$message.err" ||
        { cat "$WORK/$message.err"; fail "openssl refuses $message"; }
}
verify cades.p7s -content "$WORK/doc.txt"
verify cosigned.p7s -content "$WORK/doc.txt" -purpose any
verify attached.p7
cmp -s "$WORK/attached.p7.out" "$WORK/doc.txt" || fail "attached content differs"
openssl cms -cmsout -print -inform DER -in "$WORK/cades.p7s" > "$WORK/cades.txt"
grep -q "id-smime-aa-signingCertificate" "$WORK/cades.txt" || fail "no signingCertificate"
grep -q "signingTime" "$WORK/cades.txt" || fail "no signingTime"
signers=$(openssl cms -cmsout -print -inform DER -in "$WORK/cosigned.p7s" | grep -c "d.issuerAndSerialNumber" || true)
[ "$signers" = 2 ] || fail "co-signed message has $signers signers"
# A document changed after signing no longer verifies.
printf 'otro\n' >> "$WORK/doc.txt"
if openssl cms -verify -binary -inform DER -in "$WORK/cades.p7s" -content "$WORK/doc.txt" \
    -CAfile "$WORK/ca.pem" > /dev/null 2>&1; then
    fail "a changed document verifies"
fi
echo PASS
