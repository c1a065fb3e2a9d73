#!/usr/bin/env bash
# xmlcosign.sh QNSCRIPT MODULE QNCERT: xmlcosign.js co-signs and counter-signs with the demo
# PKI of qncert and checks every document with QNVerifier; here xmlsec1 verifies each
# signature node of each document it wrote, the demo root trusted.
MINE=$(cd "$(dirname "$0")" && pwd)
source "$MINE/../../scripts/harness.sh" "$1" "$2"
QNCERT=$3
"$QNCERT" demo > /dev/null
"$QNCERT" export 1 --store ROOT --out "$WORK/root.pem"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<doc>\n  <a Id="p1">a\303\261o</a>\n  <b>dos</b>\n</doc>\n' > "$WORK/doc.xml"

cat "$HERE/lib.js" "$MINE/xmlcosign.js" > "$WORK/xmlcosign.js"
"$QNSCRIPT" "$WORK/xmlcosign.js" "$WORK" > "$WORK/out.txt" 2>&1 || { cat "$WORK/out.txt"; fail "script failed"; }
grep -qx OK "$WORK/out.txt" || { cat "$WORK/out.txt"; fail "script output"; }

DS=http://www.w3.org/2000/09/xmldsig#
IDS="--id-attr:Id http://uri.etsi.org/01903/v1.2.2#:SignedProperties --id-attr:Id $DS:Signature
     --id-attr:Id $DS:SignatureValue --id-attr:Id SignatureProperty --id-attr:Id a"
checked=0
for file in signed counter two-counter leaf xades-cosign plain-cosign timed-cosign inherited; do
    ids=$(xmllint --xpath "//*[local-name()='Signature' and namespace-uri()='$DS']/@Id" \
          "$WORK/$file.xml" | grep -o 'Signature[0-9]*')
    [ -n "$ids" ] || fail "$file.xml has no signature"
    for id in $ids; do
        xmlsec1 --verify --trusted-pem "$WORK/root.pem" $IDS --node-id "$id" "$WORK/$file.xml" \
            > "$WORK/$file.$id.out" 2>&1 || { cat "$WORK/$file.$id.out"; fail "xmlsec1 refuses $id of $file.xml"; }
        checked=$((checked + 1))
    done
done
[ "$checked" -eq 19 ] || fail "$checked signatures checked by xmlsec1"
echo PASS
