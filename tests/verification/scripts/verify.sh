#!/usr/bin/env bash
# verify.sh QNSCRIPT MODULE: messages signed by openssl, verified by a script through
# QNCryptoSystem.newVerifier, QNVerifier and QNVerifyStatus created the way users create them.
source "$(dirname "$0")/../../scripts/harness.sh"
MINE=$(cd "$(dirname "$0")" && pwd)

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/C=ES/O=ACME/CN=AC Pruebas" \
    -addext "basicConstraints=critical,CA:TRUE" -keyout "$WORK/ca.key" -out "$WORK/ca.pem" \
    2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/C=ES/O=ACME/CN=JUAN FIRMA" -keyout "$WORK/s.key" \
    -out "$WORK/s.csr" 2>/dev/null
openssl x509 -req -in "$WORK/s.csr" -CA "$WORK/ca.pem" -CAkey "$WORK/ca.key" -set_serial 5 \
    -days 10 -out "$WORK/s.pem" 2>/dev/null
printf 'Hola, mundo firmado' > "$WORK/content.txt"
sign() { # output extra-arguments...
    local out=$1
    shift
    openssl cms -sign -binary -in "$WORK/content.txt" -signer "$WORK/s.pem" -inkey "$WORK/s.key" \
        -outform DER -out "$WORK/$out" "$@"
}
sign attached.der -nodetach
sign detached.der
sign ber.der -nodetach -stream
# The same bytes with one content byte changed.
python3 - "$WORK/attached.der" "$WORK/tampered.der" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
at = data.index(b'mundo')
open(sys.argv[2], 'wb').write(data[:at] + b'M' + data[at + 1:])
PY
head -c 300 /dev/urandom > "$WORK/noise.bin"

cat "$HERE/lib.js" "$MINE/verify.js" > "$WORK/verify.js"
"$QNSCRIPT" "$WORK/verify.js" "$WORK" > "$WORK/out.txt" 2>&1 ||
    { cat "$WORK/out.txt"; fail "script failed"; }
grep -x OK "$WORK/out.txt" > /dev/null || { cat "$WORK/out.txt"; fail "script output"; }
echo PASS
