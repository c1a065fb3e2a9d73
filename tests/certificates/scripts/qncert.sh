#!/usr/bin/env bash
# qncert.sh QNCERT: demo, import (PKCS#12 and PEM with key), list, export, remove, and the
# errors for a wrong password, a missing file and a store that cannot be written.
set -euo pipefail
QNCERT=$1
WORK=$(mktemp -d "${TMPDIR:-/tmp}/q2qncert.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export TMPDIR=$WORK QUILLION_HOME=$WORK/home
unset QUILLION_UI_ANSWERS
fail() { echo "FAIL: $*" >&2; exit 1; }
MY=$QUILLION_HOME/stores/CurrentUser/MY

"$QNCERT" demo > "$WORK/demo.txt" || fail "demo"
[ "$(ls "$MY"/*.key | wc -l)" = 2 ] || fail "demo keys"
[ "$(ls "$QUILLION_HOME"/stores/CurrentUser/ROOT/*.cer | wc -l)" = 1 ] || fail "demo root"
for k in "$MY"/*.key; do
    [ "$(stat -c %a "$k")" = 600 ] || fail "key mode of $k"
done
"$QNCERT" list > "$WORK/list.txt"
grep -q "Demo Firma, SERIALNUMBER=00000000T" "$WORK/list.txt" || fail "list subject"
[ "$(grep -c 'key:     yes' "$WORK/list.txt")" = 2 ] || fail "list keys"
# The demo chain verifies with openssl, and the signing certificate has its usages.
sign=$(grep -n "Demo Firma" "$WORK/list.txt" | cut -d. -f1 | cut -d: -f2)
"$QNCERT" export "$sign" --out "$WORK/sign.pem"
"$QNCERT" export 1 --store ROOT > "$WORK/root.pem"
openssl verify -CAfile "$WORK/root.pem" "$WORK/sign.pem" > /dev/null || fail "demo chain"
openssl x509 -in "$WORK/sign.pem" -noout -ext keyUsage | grep "Digital Signature, Non Repudiation" > /dev/null ||
    fail "signing key usage"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/C=ES/CN=Importado" \
    -keyout "$WORK/k.pem" -out "$WORK/c.pem" 2>/dev/null
openssl pkcs12 -export -in "$WORK/c.pem" -inkey "$WORK/k.pem" -passout pass:secreto \
    -out "$WORK/t.p12"
if "$QNCERT" import "$WORK/t.p12" --password mal 2> "$WORK/err.txt"; then fail "wrong password accepted"; fi
grep -q "wrong PKCS#12 password" "$WORK/err.txt" || fail "wrong password message"
"$QNCERT" import "$WORK/t.p12" --password secreto --store Other > /dev/null
"$QNCERT" list --store Other | grep "key:     yes" > /dev/null || fail "p12 key"
if "$QNCERT" import "$WORK/missing.pem" 2> "$WORK/err.txt"; then fail "missing file"; fi
grep -q "cannot read" "$WORK/err.txt" || fail "missing file message"
"$QNCERT" import "$WORK/c.pem" --key "$WORK/k.pem" --store Pem > /dev/null
"$QNCERT" list --store Pem | grep "key:     yes" > /dev/null || fail "pem key"
"$QNCERT" export 1 --store Pem --der --out "$WORK/c.der"
cmp <(openssl x509 -in "$WORK/c.pem" -outform DER) "$WORK/c.der" || fail "export der"
"$QNCERT" remove 1 --store Pem > /dev/null
[ -z "$(ls "$QUILLION_HOME/stores/CurrentUser/Pem")" ] || fail "remove"
# A store whose folder is a file cannot be written.
: > "$QUILLION_HOME/stores/CurrentUser/Blocked"
if "$QNCERT" import "$WORK/c.pem" --store Blocked 2> "$WORK/err.txt"; then fail "blocked store"; fi
grep -q "Access is denied" "$WORK/err.txt" || { cat "$WORK/err.txt"; fail "blocked message"; }
echo PASS
