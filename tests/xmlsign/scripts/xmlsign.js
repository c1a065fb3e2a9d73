// The XML-DSig signer as a page drives it: QNCryptoSystem in modes 2 and 5, the user's MY
// store, QNSignData. Writes the signatures into the folder for xmlsign.sh to check with
// xmlsec1; prints OK when every check here holds (helpers from tests/scripts/lib.js).
var dir = WScript.Arguments.Item(0);
var base = WScript.Arguments.Item(1); // http://127.0.0.1:PORT/files/
var QN_E_OPERATION = 0x8004465B, QN_E_XMLDSIG = 0x80044663, QN_E_HASH = 0x8004465A;

var system = new ActiveXObject("Quillion2.QNCryptoSystem");
// The demo's signing certificate (its encryption certificate may be listed first).
var certs = system.openSystemStore("MY", 2).getCertificates();
var cert = certs.getCertificate(0);
if (cert.getSubjectName().indexOf("Demo Firma") < 0) {
    cert = certs.getCertificate(1);
}
function content(text) {
    var c = new ActiveXObject("Quillion2.QNContent");
    c.contentString = text;
    return c;
}
function has(result, text, what) {
    check(result.contentString.indexOf(text) >= 0, what + ": no " + text);
}
function hasNot(result, text, what) {
    check(result.contentString.indexOf(text) < 0, what + ": " + text);
}
var doc = new ActiveXObject("Quillion2.QNContent");
doc.loadFileWithPath(dir + "/doc.xml");

// XML-DSig, mode 2.
system.setMode(2);
system.setProperty("HashAlgorithm", "1.3.14.3.2.26");
system.setProperty("EnvelopeType", "enveloped");
var signer = system.newSignData();
var once = signer.sign(doc, cert, 0);
once.saveFile(dir + "/enveloped.xml");
has(once, 'Id="Signature1"', "enveloped");
has(once, 'Id="Signature1-SignedInfo1"', "enveloped");
has(once, 'Id="Signature1-Reference1" URI=""', "enveloped");
has(once, 'Id="Signature1-SignatureValue1"', "enveloped");
has(once, 'Id="Signature1-KeyInfo1"', "enveloped");
var twice = signer.sign(once, cert, 0);
twice.saveFile(dir + "/twice.xml");
has(twice, 'Id="Signature2-SignedInfo1"', "second signature");
var ten = "<doc>";
for (var i = 1; i <= 10; i++) {
    ten += '<s Id="Signature' + i + '"/>';
}
has(signer.sign(content(ten + "</doc>"), cert, 0), 'Id="Signature11"', "after Signature10");

system.setProperty("EnvelopeType", "DETACHED");
fails(function () { signer.sign(doc, cert, 0); }, QN_E_OPERATION, 'Tipo de "envelope" inválido.',
      "DETACHED");
var url = base + "pedido.xml";
system.setProperty("EnvelopeType", "ENVELOPED");
fails(function () { signer.sign(content(url), cert, 1); }, QN_E_XMLDSIG,
      "Se ha especificado realizar una firma de la URL: " + url + ", esto no es compatible con " +
      "haber especificado que dicha firma sea enveloped, una firma detached externa no puede ser " +
      "nunca enveloped (no puedes incrustar la firma en los datos xml porque no tienes datos xml, " +
      "solo tienes una URL), la firma no ha sido realizada", "detached enveloped");
system.setProperty("ElementToSign", "#p1");
fails(function () { signer.sign(content(url), cert, 1); }, QN_E_XMLDSIG,
      "Se ha especificado realizar una firma del elemento con Id: #p1, esto no es compatible con " +
      "haber especificado una URL a firmar: " + url + ", la firma no ha sido realizada",
      "element and URL");
fails(function () { signer.sign(doc, cert, 0); }, QN_E_XMLDSIG,
      "No se ha especificado el elemento donde debe almacenarse la firma generada (parámetro " +
      "'Parent' en el JavaScript), este parámetro es obligatorio siempre que se desea realizar " +
      "la firma de un nodo concreto especificando su Id", "no parent");
system.setProperty("EnvelopeType", "ENVELOPING");
fails(function () { signer.sign(doc, cert, 0); }, QN_E_XMLDSIG,
      "Se ha especificado realizar una firma del elemento de Id: #p1, esto no es compatible con " +
      "haber especificado que dicha firma sea enveloping, ya que una firma enveloping debe " +
      "envolver todo el xml, pero si un nodo se firma y otros no estos que no se firman estarán " +
      "fuera de la firma, es decir, sería una firma enveloped respecto a los nodos no firmados y " +
      "enveloping respecto al nodo firmado, esta combinación no es pausible, la firma no ha sido " +
      "realizada", "enveloping element");
system.setProperty("EnvelopeType", "ENVELOPED");
system.setProperty("ParentElement", "//*[@Id='p1']/@Id");
fails(function () { signer.sign(doc, cert, 0); }, QN_E_OPERATION,
      "No se encontro un nodo de tipo válido", "parent attribute");
system.setProperty("ParentElement", "//*[@Id='p1']");
signer.sign(doc, cert, 0).saveFile(dir + "/element.xml");
system.setProperty("ElementToSign", "");
system.setProperty("ParentElement", "");
system.setProperty("HashAlgorithm", "2.16.840.1.101.3.4.2.1");
fails(function () { signer.sign(doc, cert, 0); }, QN_E_HASH,
      "El algoritmo de hash indicado no está disponible para XMLDig. Únicamente válido el " +
      "RSA+SHA1.", "SHA-256");
system.setProperty("HashAlgorithm", "1.3.14.3.2.26");

// Enveloping and detached, with the signing time.
signer.timeStamp = 1;
system.setProperty("EnvelopeType", "ENVELOPING");
var enveloping = signer.sign(doc, cert, 0);
enveloping.saveFile(dir + "/enveloping.xml");
has(enveloping, 'URI="#Signature1-Object1"', "enveloping");
has(enveloping, 'URI="#Signature1-TimeStamp1"', "enveloping time");
signer.sign(content(url), cert, 1).saveFile(dir + "/detached-xml.xml");
signer.sign(content(base + "texto.txt"), cert, 1).saveFile(dir + "/detached-text.xml");
signer.sign(content("file://" + dir + "/doc.xml"), cert, 1).saveFile(dir + "/detached-file.xml");
fails(function () { signer.sign(content(base + "nada.xml"), cert, 1); }, QN_E_READ, undefined,
      "404");
system.setProperty("OverrideUri", "pedido.xml");
var overridden = signer.sign(content(url), cert, 1);
overridden.saveFile(dir + "/override.xml");
has(overridden, 'URI="pedido.xml"', "OverrideUri");
system.setProperty("OverrideUri", "");
signer.timeStamp = 0;

// SignFromHash: the caller's digest of a file, in a reference added after signing.
system.setProperty("EnvelopeType", "ENVELOPED");
system.setProperty("SignFromHash", "TRUE");
system.setProperty("URIReference", "file://" + dir + "/datos.bin");
var digest = new ActiveXObject("Quillion2.QNContent");
digest.loadFileWithPath(dir + "/datos.sha1");
system.setProperty("HashData", digest.contentString);
system.setProperty("IdReference", "datos");
var fromHash = signer.sign(doc, cert, 0);
fromHash.saveFile(dir + "/fromhash.xml");
has(fromHash, 'Id="datos"', "SignFromHash");
system.setProperty("SignFromHash", "FALSE");

// XMLEncoding.
system.setProperty("XMLEncoding", "ISO-8859-1");
signer.sign(doc, cert, 0).saveFile(dir + "/latin1.xml");
system.setProperty("XMLEncoding", "");

// XAdES, mode 5.
system.setMode(5);
var xades = system.newSignData();
var plain = xades.sign(doc, cert, 0);
plain.saveFile(dir + "/xades.xml");
hasNot(plain, "SigningTime", "XAdES without timeStamp");
has(plain, 'Id="Signature1-SignedProperties"', "XAdES");
has(plain, 'Type="http://uri.etsi.org/01903/v1.2.2#SignedProperties"', "XAdES");
// A signed document signed again in XAdES is counter-signed (tests/xmlcosign has the rest).
var both = xades.sign(plain, cert, 0);
both.saveFile(dir + "/xades-twice.xml");
has(both, 'Id="Signature2-SignedProperties"', "second XAdES");
has(both, 'URI="#Signature1-SignatureValue1"', "counter-signature");
// The counter-signature's placement stays in the settings: set it back for what follows.
system.setProperty("ElementToSign", "");
system.setProperty("ParentElement", "");
xades.timeStamp = 1;
system.setProperty("SignaturePolicyId", "PolicyImplied");
system.setProperty("SignerRole", "");
var timed = xades.sign(doc, cert, 0);
timed.saveFile(dir + "/xades-timed.xml");
check(/<xades:SigningTime>\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ<\/xades:SigningTime>/.test(
          timed.contentString), "SigningTime in UTC");
has(timed, "<xades:SignaturePolicyImplied/>", "PolicyImplied");
system.setProperty("SignaturePolicyId", "policyimplied");
fails(function () { xades.sign(doc, cert, 0); }, QN_E_READ, undefined, "policyimplied");
system.setProperty("SignaturePolicyId", base + "politica.xml");
system.setProperty("SignerRole", "Firmante");
system.setProperty("XMLSigNameSpaceID", "x");
var prefixed = xades.sign(doc, cert, 0);
prefixed.saveFile(dir + "/xades-x.xml");
has(prefixed, "<x:QualifyingProperties", "prefix x");
has(prefixed, "<x:SignedInfo", "prefix x");
has(prefixed, "<ds:DigestMethod", "ds inside the block");
has(prefixed, "<x:ClaimedRole>Firmante</x:ClaimedRole>", "signer role");

// The component's own verifier accepts what it signed, one status per signature.
system.setMode(2);
function verified(signed, count, what) {
    var v = system.newVerifier();
    equal(v.verify(signed, null, 0), 1, what + " result");
    for (var i = 0; i < count; i++) {
        equal(v.getStatus(i).errorDescription, "No error", what + " status " + i);
    }
    equal(v.getStatus(count), null, what + " has " + count + " statuses");
    return v;
}
verified(plain, 1, "XAdES");
verified(both, 2, "XAdES counter-signed");
verified(timed, 1, "XAdES with SigningTime");
verified(prefixed, 1, "XAdES with prefix x");
// A changed document: the signature fails; its counter-signature, over the signature value
// alone, still holds.
var changed = system.newVerifier();
equal(changed.verify(content(both.contentString.replace("<b>dos</b>", "<b>tres</b>")), null, 0),
      0, "changed result");
equal(changed.getStatus(0).idError, -1, "changed first signature");
equal(changed.getStatus(1).idError, 0, "counter-signature of a changed document");
done();
