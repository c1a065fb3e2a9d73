#!/usr/bin/env bash
# store.sh QNSCRIPT MODULE: a user store made with openssl, read by a script through
# QNCryptoSystem.openSystemStore, QNCertificates (find, select, getCertificate) and
# QNCertificate.
set -euo pipefail
QNSCRIPT=$1
export QUILLION_MODULE=$2
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/q2certs.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export TMPDIR=$WORK QUILLION_HOME=$WORK/home
MY=$QUILLION_HOME/stores/CurrentUser/MY
mkdir -p "$MY"
fail() { echo "FAIL: $*" >&2; exit 1; }

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/C=ES/O=ACME/CN=AC (Pruebas)" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
    -keyout "$WORK/ca.key" -out "$WORK/ca.pem" 2>/dev/null
issue() { # name subject keyUsage
    openssl req -newkey rsa:2048 -nodes -subj "$2" -keyout "$MY/$1.key" -out "$WORK/$1.csr" \
        2>/dev/null
    printf 'keyUsage=critical,%s\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n' \
        "$3" > "$WORK/$1.ext"
    openssl x509 -req -in "$WORK/$1.csr" -CA "$WORK/ca.pem" -CAkey "$WORK/ca.key" \
        -CAcreateserial -days 10 -extfile "$WORK/$1.ext" -out "$MY/$1.pem" 2>/dev/null
    chmod 600 "$MY/$1.key"
}
issue 1-firma "/C=ES/O=ACME/serialNumber=12345678Z/CN=JUAN FIRMA" digitalSignature,nonRepudiation
issue 2-cifrado "/C=ES/O=ACME/CN=JUAN CIFRADO" keyEncipherment
cp "$WORK/ca.pem" "$MY/3-ca.cer"
printf 'select=1\nselect=cancel\n' > "$WORK/answers"
export QUILLION_UI_ANSWERS=$WORK/answers

"$QNSCRIPT" "$HERE/store.js" "$(openssl x509 -in "$MY/1-firma.pem" -noout -serial | cut -d= -f2)" \
    > "$WORK/out.txt" 2>&1 || { cat "$WORK/out.txt"; fail "script failed"; }
grep -qx OK "$WORK/out.txt" || { cat "$WORK/out.txt"; fail "script output"; }
"$QNSCRIPT" "$HERE/listing.js" > "$WORK/listing.txt" 2>&1 ||
    { cat "$WORK/listing.txt"; fail "listing script failed"; }
grep -qx OK "$WORK/listing.txt" || { cat "$WORK/listing.txt"; fail "listing output"; }
echo PASS
