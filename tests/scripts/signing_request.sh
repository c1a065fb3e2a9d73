#!/usr/bin/env bash
# The typical request end to end: a CAdES detached signature of a file chosen in the open
# dialog, made by a script through QNCryptoSystem, QNCertificateStore, QNContent and
# QNSignData, then checked by openssl cms and by QNVerifier; the PKCS#7 and CMS modes, a
# tampered file and the failure numbers a script sees.
source "$(dirname "$0")/harness.sh"
MY=$QUILLION_HOME/stores/CurrentUser/MY
mkdir -p "$MY"

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/C=ES/O=ACME/CN=AC Pruebas" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
    -keyout "$WORK/ca.key" -out "$WORK/ca.pem" 2>/dev/null
issue() { # name subject keyUsage [key password]
    openssl req -newkey rsa:2048 -nodes -subj "$2" -keyout "$WORK/$1.plain" \
        -out "$WORK/$1.csr" 2>/dev/null
    printf 'keyUsage=critical,%s\nsubjectKeyIdentifier=hash\n' "$3" > "$WORK/$1.ext"
    openssl x509 -req -in "$WORK/$1.csr" -CA "$WORK/ca.pem" -CAkey "$WORK/ca.key" \
        -CAcreateserial -days 10 -extfile "$WORK/$1.ext" -out "$MY/$1.pem" 2>/dev/null
    if [ -n "${4:-}" ]; then
        openssl pkcs8 -topk8 -v2 aes-256-cbc -in "$WORK/$1.plain" -passout "pass:$4" \
            -out "$MY/$1.key"
    else
        cp "$WORK/$1.plain" "$MY/$1.key"
    fi
    chmod 600 "$MY/$1.key"
}
issue 1-firma "/C=ES/O=ACME/CN=JUAN FIRMA" digitalSignature,nonRepudiation
issue 2-cifrado "/C=ES/O=ACME/CN=JUAN CIFRADO" keyEncipherment
issue 3-protegida "/C=ES/O=ACME/CN=JUAN CLAVE" digitalSignature secreto
cp "$WORK/ca.pem" "$MY/4-ca.cer"
mkdir -p "$QUILLION_HOME/stores/CurrentUser/ROOT"
cp "$WORK/ca.pem" "$QUILLION_HOME/stores/CurrentUser/ROOT/ca.cer"

head -c 200000 /dev/urandom > "$WORK/documento.bin"
printf 'open=%s\npassword=equivocada\npassword=cancel\n' "$WORK/documento.bin" > "$WORK/answers"
export QUILLION_UI_ANSWERS=$WORK/answers

run_js signing_request.js "$WORK" > "$WORK/out.txt" 2>&1 || { cat "$WORK/out.txt"; fail "script"; }
grep -qx OK "$WORK/out.txt" || { cat "$WORK/out.txt"; fail "script output"; }

# openssl verifies the detached CAdES signature against the file, and sees the ESS
# signing-certificate attribute; the attached PKCS#7 and CMS ones carry the content.
base64 -d "$WORK/cades.b64" > "$WORK/cades.der"
openssl cms -verify -binary -inform DER -in "$WORK/cades.der" -content "$WORK/documento.bin" \
    -CAfile "$WORK/ca.pem" -purpose any -out /dev/null 2> "$WORK/v1.txt" ||
    { cat "$WORK/v1.txt"; fail "openssl cms -verify of the CAdES signature"; }
openssl cms -cmsout -print -inform DER -in "$WORK/cades.der" > "$WORK/print.txt"
grep -c "id-smime-aa-signingCertificate" "$WORK/print.txt" > /dev/null ||
    fail "no signingCertificate attribute"
for kind in pkcs7 cms; do
    base64 -d "$WORK/$kind.b64" > "$WORK/$kind.der"
    openssl cms -verify -binary -inform DER -in "$WORK/$kind.der" -CAfile "$WORK/ca.pem" \
        -purpose any -out "$WORK/$kind.out" 2> "$WORK/v2.txt" ||
        { cat "$WORK/v2.txt"; fail "openssl cms -verify of the $kind signature"; }
    cmp "$WORK/$kind.out" "$WORK/texto.txt" || fail "$kind content"
done
log=$WORK/QuillionCOM.log
grep -c "INFO: CQNSignData::sign" "$log" > /dev/null || fail "sign log line"
grep -c "TRACE: CQNCryptoSystem::newSignData" "$log" > /dev/null || fail "factory log line"
echo PASS
