// Co-signing and counter-signing XML signatures as a page does it: QNCryptoSystem in mode 5,
// the user's MY store, QNSignData.sign and cosign; every document is verified by QNVerifier
// (mode 2) and written for xmlcosign.sh to check with xmlsec1. Prints OK when every check
// here holds (helpers from tests/scripts/lib.js).
var dir = WScript.Arguments.Item(0);
var QN_E_OPERATION = 0x8004465B;

var system = new ActiveXObject("Quillion2.QNCryptoSystem");
var certs = system.openSystemStore("MY", 2).getCertificates();
var cert = certs.getCertificate(0);
if (cert.getSubjectName().indexOf("Demo Firma") < 0) {
    cert = certs.getCertificate(1);
}
function has(result, text, what) {
    check(result.contentString.indexOf(text) >= 0, what + ": no " + text);
}
// Every signature of the document verifies: as many "No error" statuses as signatures.
function verifies(result, count, name) {
    result.saveFile(dir + "/" + name + ".xml");
    system.setMode(2);
    var verifier = system.newVerifier();
    system.setMode(5);
    equal(verifier.verify(result, null, 0), 1, name + " result");
    for (var i = 0; i < count; i++) {
        var status = verifier.getStatus(i);
        check(status !== null, name + ": no status " + i);
        if (status !== null) {
            equal(status.errorDescription, "No error", name + " status " + i);
        }
    }
    equal(verifier.getStatus(count), null, name + ": more statuses than signatures");
}
// The signature with that Id, as text.
function signature(result, id) {
    var text = result.contentString;
    var found = new RegExp('<ds:Signature [^>]*Id="' + id + '"').exec(text);
    check(found !== null, "no signature " + id);
    var start = found === null ? 0 : found.index;
    // The engine writes a line feed between the elements of SignedInfo.
    return text.substring(start, text.indexOf("</ds:SignedInfo>", start)).replace(/\n/g, "");
}
var doc = new ActiveXObject("Quillion2.QNContent");
doc.loadFileWithPath(dir + "/doc.xml");

system.setMode(5);
system.setProperty("HashAlgorithm", "1.3.14.3.2.26");
system.setProperty("EnvelopeType", "ENVELOPED");
var signer = system.newSignData();
var signed = signer.sign(doc, cert, 0);
verifies(signed, 1, "signed");

// One XAdES signature: counter-signed inside its CounterSignature, over its signature value
// with a C14N transform only.
var counter = signer.sign(signed, cert, 0);
verifies(counter, 2, "counter");
check(/<xades:UnsignedSignatureProperties><xades:CounterSignature><ds:Signature [^>]*Id="Signature2"/
          .test(counter.contentString), "counter-signature placement");
var second = signature(counter, "Signature2");
check(second.indexOf('URI="#Signature1-SignatureValue1"><ds:Transforms><ds:Transform ' +
                     'Algorithm="http://www.w3.org/TR/2001/REC-xml-c14n-20010315"/>' +
                     '</ds:Transforms>') >= 0, "counter-signature reference: " + second);

// The counter-signature's placement stays in the settings: a plain signature made next, put
// under the document element, signs the signature value ElementToSign still names.
system.setProperty("Xades", "FALSE");
system.setProperty("ParentElement", "/doc");
var inherited = signer.sign(signed, cert, 0);
verifies(inherited, 2, "inherited");
has(inherited, 'URI="#Signature1-SignatureValue1"', "ElementToSign left by the counter-signature");
system.setProperty("Xades", "TRUE");
system.setProperty("ElementToSign", "");
system.setProperty("ParentElement", "");

// A XAdES co-signature: a sibling over the first signature's data, not its signed properties.
var both = signer.cosign(signed, null, cert, 0);
verifies(both, 2, "xades-cosign");
var cosignature = signature(both, "Signature2");
check(cosignature.indexOf('URI=""><ds:Transforms><ds:Transform Algorithm="http://www.w3.org/' +
                          '2000/09/xmldsig#enveloped-signature"/>') >= 0,
      "co-signature reference: " + cosignature);
check(cosignature.indexOf("#Signature1-SignedProperties") < 0, "co-signature signs properties");
has(both, "</ds:Signature><ds:Signature ", "siblings");

// Two independent signatures: one counter-signature each, in document order.
var twoCounter = signer.sign(both, cert, 0);
verifies(twoCounter, 4, "two-counter");
check(signature(twoCounter, "Signature3").indexOf('URI="#Signature1-SignatureValue1"') >= 0,
      "Signature3 counter-signs Signature1");
check(signature(twoCounter, "Signature4").indexOf('URI="#Signature2-SignatureValue1"') >= 0,
      "Signature4 counter-signs Signature2");
check(twoCounter.contentString.indexOf('Id="Signature3"') <
          twoCounter.contentString.indexOf('Id="Signature2"'), "document order");

// A counter-signed signature: its counter-signature, the leaf, is counter-signed.
system.setProperty("ElementToSign", "");
system.setProperty("ParentElement", "");
var leaf = signer.sign(counter, cert, 0);
verifies(leaf, 3, "leaf");
check(signature(leaf, "Signature3").indexOf('URI="#Signature2-SignatureValue1"') >= 0,
      "Signature3 counter-signs the leaf Signature2");

// Plain co-signing: EnvelopeType must be given; then one more enveloped signature, with its
// signing time signed.
system.setProperty("Xades", "FALSE");
system.setProperty("IncludeSigningCertificate", "TRUE");
system.setProperty("ElementToSign", "");
system.setProperty("ParentElement", "");
system.setProperty("EnvelopeType", "");
fails(function () { signer.cosign(signed, null, cert, 0); }, QN_E_OPERATION,
      'Tipo de "envelope" inválido.', "empty EnvelopeType");
system.setProperty("EnvelopeType", "ENVELOPING");
fails(function () { signer.cosign(signed, null, cert, 0); }, QN_E_OPERATION,
      'Tipo de "envelope" inválido para añadir una firma. Solo soportado "Enveloped"',
      "ENVELOPING");
system.setProperty("EnvelopeType", "ENVELOPED");
var plain = signer.cosign(signed, null, cert, 0);
verifies(plain, 2, "plain-cosign");
check(signature(plain, "Signature2").indexOf("SignedProperties") < 0, "plain co-signature");
signer.timeStamp = 1;
var timed = signer.cosign(plain, null, cert, 0);
verifies(timed, 3, "timed-cosign");
has(timed, 'URI="#Signature3-TimeStamp1"', "signed signing time");
signer.timeStamp = 0;

// A plain signature cannot hold a counter-signature: nothing is signed.
system.setProperty("Xades", "TRUE");
fails(function () { signer.sign(plain, cert, 0); }, QN_E_OPERATION,
      "No se puede contrafirmar la firma Signature2: la firma no tiene el elemento " +
          "UnsignedSignatureProperties", "plain leaf");
done();
