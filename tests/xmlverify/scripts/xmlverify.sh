#!/usr/bin/env bash
# xmlverify.sh QNSCRIPT MODULE: XML signatures and an encryption made by xmlsec1, verified by a
# script through QNCryptoSystem.newVerifier (modes 2 and 6), QNVerifier and QNVerifyStatus
# created the way users create them.
source "$(dirname "$0")/../../scripts/harness.sh"
MINE=$(cd "$(dirname "$0")" && pwd)

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/C=ES/O=ACME/CN=AC Pruebas XML" \
    -addext "basicConstraints=critical,CA:TRUE" -keyout "$WORK/ca.key" -out "$WORK/ca.pem" \
    2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/C=ES/O=ACME/CN=ANA FIRMA XML" -keyout "$WORK/s.key" \
    -out "$WORK/s.csr" 2>/dev/null
openssl x509 -req -in "$WORK/s.csr" -CA "$WORK/ca.pem" -CAkey "$WORK/ca.key" -set_serial 5 \
    -days 10 -out "$WORK/s.pem" 2>/dev/null
# The root is trusted; the signer's certificate and key are the user's own (for decryption).
STORES=$QUILLION_HOME/stores/CurrentUser
mkdir -p "$STORES/ROOT" "$STORES/MY"
cp "$WORK/ca.pem" "$STORES/ROOT/ca.pem"
cp "$WORK/s.pem" "$STORES/MY/ana.pem"
install -m 600 "$WORK/s.key" "$STORES/MY/ana.key"

DS='xmlns:ds="http://www.w3.org/2000/09/xmldsig#"'
SIGNED_INFO='<ds:CanonicalizationMethod Algorithm="http://www.w3.org/TR/2001/REC-xml-c14n-20010315"/><ds:SignatureMethod Algorithm="http://www.w3.org/2000/09/xmldsig#rsa-sha1"/>'
DIGEST='<ds:DigestMethod Algorithm="http://www.w3.org/2000/09/xmldsig#sha1"/><ds:DigestValue/>'
KEYINFO='<ds:SignatureValue/><ds:KeyInfo><ds:X509Data/></ds:KeyInfo>'
# Enveloped, the whole document, the signature dropped by an XPath transform.
cat > "$WORK/enveloped.tpl" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<pedido><cliente>Ana</cliente><importe>120,50</importe><ds:Signature $DS><ds:SignedInfo>$SIGNED_INFO<ds:Reference URI=""><ds:Transforms><ds:Transform Algorithm="http://www.w3.org/TR/1999/REC-xpath-19991116"><ds:XPath>not(ancestor-or-self::ds:Signature)</ds:XPath></ds:Transform></ds:Transforms>$DIGEST</ds:Reference></ds:SignedInfo>$KEYINFO</ds:Signature></pedido>
XML
# Enveloping: the content in the Object.
cat > "$WORK/enveloping.tpl" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<ds:Signature $DS><ds:SignedInfo>$SIGNED_INFO<ds:Reference URI="#datos">$DIGEST</ds:Reference></ds:SignedInfo>$KEYINFO<ds:Object Id="datos"><nota>Hola, mundo firmado</nota></ds:Object></ds:Signature>
XML
cat > "$WORK/encryption.tpl" <<XML
<EncryptedData xmlns="http://www.w3.org/2001/04/xmlenc#" Type="http://www.w3.org/2001/04/xmlenc#Element"><EncryptionMethod Algorithm="http://www.w3.org/2001/04/xmlenc#aes128-cbc"/><ds:KeyInfo $DS><EncryptedKey><EncryptionMethod Algorithm="http://www.w3.org/2001/04/xmlenc#rsa-1_5"/><ds:KeyInfo><ds:X509Data><ds:X509IssuerSerial><ds:X509IssuerName>CN=AC Pruebas XML,O=ACME,C=ES</ds:X509IssuerName><ds:X509SerialNumber>5</ds:X509SerialNumber></ds:X509IssuerSerial></ds:X509Data></ds:KeyInfo><CipherData><CipherValue/></CipherData></EncryptedKey></ds:KeyInfo><CipherData><CipherValue/></CipherData></EncryptedData>
XML
printf '<?xml version="1.0" encoding="UTF-8"?>\n<pedido><cliente>Ana</cliente><tarjeta>4000 1234</tarjeta></pedido>\n' \
    > "$WORK/plain.xml"

for name in enveloped enveloping; do
    xmlsec1 --sign --privkey-pem "$WORK/s.key,$WORK/s.pem" --output "$WORK/$name.xml" \
        "$WORK/$name.tpl" || fail "xmlsec1 --sign $name"
done
sed 's|<importe>120,50</importe>|<importe>1200,50</importe>|' "$WORK/enveloped.xml" \
    > "$WORK/tampered.xml"
xmlsec1 --encrypt --pubkey-cert-pem "$WORK/s.pem" --session-key aes-128 \
    --xml-data "$WORK/plain.xml" --node-name tarjeta --output "$WORK/encrypted.xml" \
    "$WORK/encryption.tpl" || fail "xmlsec1 --encrypt"
printf 'esto no es XML' > "$WORK/noise.txt"

cat "$HERE/lib.js" "$MINE/xmlverify.js" > "$WORK/xmlverify.js"
"$QNSCRIPT" "$WORK/xmlverify.js" "$WORK" > "$WORK/out.txt" 2>&1 ||
    { cat "$WORK/out.txt"; fail "script failed"; }
grep -x OK "$WORK/out.txt" > /dev/null || { cat "$WORK/out.txt"; fail "script output"; }
echo PASS
