#!/usr/bin/env bash
# envelopes.sh QNSCRIPT MODULE: envelopes.js makes envelopes with certificates of a store made
# with openssl; openssl and xmlsec1 open them, and the script opens what openssl made.
MINE=$(cd "$(dirname "$0")" && pwd)
source "$MINE/../../scripts/harness.sh" "$@"
MY=$QUILLION_HOME/stores/CurrentUser/MY
mkdir -p "$MY"

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/C=ES/O=ACME/CN=Ana Cifrado" \
    -keyout "$MY/1-ana.key" -out "$MY/1-ana.pem" 2>/dev/null
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 30 \
    -subj "/C=ES/O=ACME/CN=Ana Curva" -keyout "$MY/2-ec.key" -out "$MY/2-ec.pem" 2>/dev/null
chmod 600 "$MY"/*.key
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/C=ES/O=ACME/CN=Otro" \
    -keyout "$WORK/other.key" -out "$WORK/other.pem" 2>/dev/null
openssl genrsa -out "$WORK/rsa512.pem" 512 2>/dev/null
openssl pkcs8 -topk8 -nocrypt -outform DER -in "$WORK/rsa512.pem" -out "$WORK/rsa512.p8"
openssl rsa -pubout -outform DER -in "$WORK/rsa512.pem" -out "$WORK/rsa512.pub" 2>/dev/null
head -c 100003 /dev/urandom > "$WORK/doc.bin"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<carta><de>Ana</de><cuerpo id="secreto">Nos vemos <b>mañana</b> a las 5</cuerpo></carta>' \
    > "$WORK/doc.xml"
encrypt() { # out recipient... (DER, AES-256)
    local out=$1
    shift
    openssl cms -encrypt -binary -aes256 -outform DER -in "$WORK/doc.bin" -out "$WORK/$out" "$@"
}
encrypt from-openssl.der "$WORK/other.pem" "$MY/1-ana.pem"
encrypt not-mine.der "$WORK/other.pem"
encrypt for-ec.der "$WORK/other.pem" "$MY/2-ec.pem"

run() {
    cat "$HERE/lib.js" "$MINE/envelopes.js" > "$WORK/envelopes.js"
    "$QNSCRIPT" "$WORK/envelopes.js" "$WORK" > "$WORK/out.txt" 2>&1 ||
        { cat "$WORK/out.txt"; fail "script failed"; }
    grep -qx OK "$WORK/out.txt" || { cat "$WORK/out.txt"; fail "script output"; }
}
opens() { # file key cert [options...]
    local file=$1 key=$2 cert=$3
    shift 3
    openssl cms -decrypt -binary -inform DER -in "$WORK/$file" -inkey "$key" -recip "$cert" \
        "$@" -out "$WORK/opened.bin" 2> "$WORK/openssl.err" ||
        { cat "$WORK/openssl.err"; fail "openssl cannot open $file"; }
    cmp -s "$WORK/opened.bin" "$WORK/doc.bin" || fail "$file: another content"
}

run
grep -qx "RC2 refused" "$WORK/out.txt" || fail "RC2 without the legacy provider"
for mode in pkcs7 cms; do
    for algorithm in des3 aes128 aes256; do
        opens "$mode-$algorithm.der" "$WORK/other.key" "$WORK/other.pem"
        opens "$mode-$algorithm.der" "$MY/1-ana.key" "$MY/1-ana.pem"
    done
done
opens after-xml.der "$WORK/other.key" "$WORK/other.pem"
xmlsec1 --decrypt --privkey-pem "$WORK/other.key,$WORK/other.pem" --output "$WORK/doc-dec.xml" \
    "$WORK/doc-enc.xml" 2> "$WORK/xmlsec.err" || { cat "$WORK/xmlsec.err"; fail "xmlsec1"; }
grep -q "mañana" "$WORK/doc-enc.xml" && fail "the element is still in clear"
[ "$(xmllint --exc-c14n "$WORK/doc-dec.xml")" = "$(xmllint --exc-c14n "$WORK/doc.xml")" ] ||
    fail "xmlsec1 gives another document"

# With OpenSSL's legacy provider loaded, RC2 envelopes are made and open.
cat > "$WORK/legacy.cnf" <<'CNF'
openssl_conf = openssl_init
[openssl_init]
providers = provider_sect
[provider_sect]
default = default_sect
legacy = legacy_sect
[default_sect]
activate = 1
[legacy_sect]
activate = 1
CNF
export OPENSSL_CONF=$WORK/legacy.cnf
run
grep -qx "RC2 made" "$WORK/out.txt" || fail "RC2 with the legacy provider"
opens cms-rc2.der "$WORK/other.key" "$WORK/other.pem"
echo PASS
