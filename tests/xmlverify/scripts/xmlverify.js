// Verifies the documents xmlverify.sh wrote; prints OK when every check holds.
var dir = WScript.Arguments.Item(0);
function load(name) {
    var c = new ActiveXObject("Quillion2.QNContent");
    c.loadFileWithPath(dir + "/" + name);
    return c;
}
function contains(text, part, what) {
    check(text.indexOf(part) >= 0, what + ": [" + part + "] not in [" + text + "]");
}
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
system.setMode(2);

// Enveloped with an XPath transform: one valid signer, its certificate, the signed content.
var verifier = system.newVerifier();
var enveloped = load("enveloped.xml");
equal(verifier.verify(enveloped, null, 0), 1, "enveloped result");
var status = verifier.getStatus(0);
equal(status.idError, 0, "enveloped idError");
equal(status.errorDescription, "No error", "enveloped description");
equal(status.level, 0, "enveloped level");
equal(status.signerCertificate.getSubjectName(), "CN=ANA FIRMA XML, O=ACME, C=ES", "subject");
equal(verifier.getStatus(1), null, "no second status");
var content = verifier.getContent().contentString;
contains(content, "<pedido><cliente>Ana</cliente><importe>120,50</importe></pedido>", "content");
equal(verifier.isDetached(enveloped), 1, "XML signatures answer detached");

// Enveloping: the content is the Object's.
var enveloping = system.newVerifier();
equal(enveloping.verify(load("enveloping.xml"), null, 0), 1, "enveloping result");
contains(enveloping.getContent().contentString, "<nota>Hola, mundo firmado</nota>",
         "enveloping content");

// A changed amount.
var t = system.newVerifier();
equal(t.verify(load("tampered.xml"), null, 0), 0, "tampered result");
equal(t.getStatus(0).idError, -1, "tampered idError");
equal(t.getStatus(0).errorDescription, "Reference URI=\"\" failed to verify\n",
      "tampered description");

// Not XML, and XML without signature: nothing verified.
var n = system.newVerifier();
equal(n.verify(load("noise.txt"), null, 0), 0, "noise result");
equal(n.getStatus(0), null, "noise has no status");
equal(n.verify(load("plain.xml"), null, 0), 0, "plain XML result");

// MT_XMLENC: the encrypted element is opened with the user's key.
system.setMode(6);
var d = system.newVerifier();
equal(d.verify(load("encrypted.xml"), null, 0), 5, "decryption result");
equal(d.getStatus(0).idError, 0, "decryption idError");
equal(d.getStatus(0).signerCertificate.getSubjectName(), "CN=ANA FIRMA XML, O=ACME, C=ES",
      "recipient");
contains(d.getContent().contentString, "<tarjeta>4000 1234</tarjeta>", "decrypted content");

// MT_XADES gives the PKCS#7 verifier, which refuses XML.
system.setMode(5);
var p = system.newVerifier();
var refused = false;
try {
    p.verify(enveloped, null, 0);
} catch (e) {
    refused = true;
}
check(refused, "the PKCS#7 verifier refuses XML");
done();
