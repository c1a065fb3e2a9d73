#!/usr/bin/env python3
"""Writes an XML document of about SIZE MiB (default 20) with an enveloped-signature template
as the last child of its document element: namespaces, attributes, escapes, non-ASCII text.
Usage: MakeDocument.py OUTPUT [SIZE_MIB] [xpath]   ("xpath" adds the XPath transform
"not(ancestor-or-self::ds:Signature)" before the canonicalisation)."""
import sys

out = sys.argv[1]
size = int(sys.argv[2]) if len(sys.argv) > 2 else 20
xpath = len(sys.argv) > 3 and sys.argv[3] == "xpath"

transforms = '<ds:Transform Algorithm="http://www.w3.org/2000/09/xmldsig#enveloped-signature"/>'
if xpath:
    transforms += ('<ds:Transform Algorithm="http://www.w3.org/TR/1999/REC-xpath-19991116">'
                   '<ds:XPath>not(ancestor-or-self::ds:Signature)</ds:XPath></ds:Transform>')
transforms += '<ds:Transform Algorithm="http://www.w3.org/TR/2001/REC-xml-c14n-20010315"/>'
signature = (
    '<ds:Signature xmlns:ds="http://www.w3.org/2000/09/xmldsig#"><ds:SignedInfo>'
    '<ds:CanonicalizationMethod Algorithm="http://www.w3.org/TR/2001/REC-xml-c14n-20010315"/>'
    '<ds:SignatureMethod Algorithm="http://www.w3.org/2000/09/xmldsig#rsa-sha1"/>'
    '<ds:Reference URI=""><ds:Transforms>' + transforms + '</ds:Transforms>'
    '<ds:DigestMethod Algorithm="http://www.w3.org/2000/09/xmldsig#sha1"/>'
    '<ds:DigestValue/></ds:Reference></ds:SignedInfo><ds:SignatureValue/></ds:Signature>')

limit = size * 1024 * 1024
with open(out, "w", encoding="utf-8") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<doc xmlns="urn:example:doc" xmlns:x="urn:example:x" xml:lang="es">\n')
    written = 0
    i = 0
    while written < limit:
        i += 1
        item = ('  <item id="i%d" x:kind="k%d" price="%d.%02d"><name>Artículo número %d &amp; '
                'más</name><x:note>%s</x:note></item>\n'
                % (i, i % 7, i % 1000, i % 100, i, "lorem ipsum dolor sit amet " * (1 + i % 3)))
        f.write(item)
        written += len(item.encode("utf-8"))
    f.write("  " + signature + "\n</doc>\n")
