// Envelopes the way a page makes them: QNCryptoSystem, the user's MY store, QNRecipients and
// QNEnvelopedData by mode. Writes what it makes beside the inputs for envelopes.sh to check
// with openssl and xmlsec1; prints OK when every check here holds (tests/scripts/lib.js).
var dir = WScript.Arguments.Item(0);
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
var mine = system.openSystemStore("MY", 2).getCertificates().getCertificate(0);
function load(name) {
    var c = new ActiveXObject("Quillion2.QNContent");
    c.loadFileWithPath(dir + "/" + name);
    return c;
}
var other = new ActiveXObject("Quillion2.QNCertificate");
other.import2(load("other.pem"));
var doc = load("doc.bin");

var recipients = new ActiveXObject("Quillion2.QNRecipients");
recipients.setRecipient(other);
recipients.setRecipient(mine);
equal(recipients.getRecipients().Count, 2, "two recipients");

var algorithms = {"des3": "1.2.840.113549.3.7", "aes128": "2.16.840.1.101.3.4.1.2",
                  "aes256": "2.16.840.1.101.3.4.1.42"};
var modes = {"pkcs7": 1, "cms": 3};
for (var m in modes) {
    system.setMode(modes[m]);
    var envelope = system.newEnvelopedData();
    for (var a in algorithms) {
        system.setProperty("SymmmetricCryptAlgorithm", algorithms[a]);
        var made = envelope.encrypt(doc, recipients);
        made.saveFile(dir + "/" + m + "-" + a + ".der");
        equal(envelope.decrypt(made).contentData, doc.contentData, m + " " + a + " round trip");
    }
    // Envelopes made by openssl for the user (listed second) and someone else.
    equal(envelope.decrypt(load("from-openssl.der")).contentData, doc.contentData,
          m + " opens openssl's envelope");
    fails(function () { envelope.decrypt(load("not-mine.der")); }, 0x80044658,
          "No se ha podido descifrar", m + " envelope for others");
    fails(function () { envelope.encrypt(doc, new ActiveXObject("Quillion2.QNRecipients")); },
          0x80044659, "No se han especificado destinatarios", m + " without recipients");
}

// Key agreement: an EC certificate of the user, CMS only.
system.setMode(3);
equal(system.newEnvelopedData().decrypt(load("for-ec.der")).contentData, doc.contentData,
      "key agreement");

// RC2: only where OpenSSL's providers offer it.
system.setProperty("SymmmetricCryptAlgorithm", "1.2.840.113549.3.2");
try {
    system.newEnvelopedData().encrypt(doc, recipients).saveFile(dir + "/cms-rc2.der");
    WScript.Echo("RC2 made");
} catch (e) {
    equal(e.number, 0x80090008 | 0, "RC2 refused (number)");
    check(e.description.indexOf("@QNEnvelopedData_Internal_CMS(210)") > 0, "RC2 refused at 210");
    WScript.Echo("RC2 refused");
}

// XML Encryption in mode 6: one XML document, then a PKCS#7 envelope again.
system.setMode(6);
var xml = system.newEnvelopedData();
system.setProperty("SymmmetricCryptAlgorithm", "AES-256");
system.setProperty("ElementToCypher", "secreto");
var xr = new ActiveXObject("Quillion2.QNRecipients");
xr.setRecipient(other);
xml.encrypt(load("doc.xml"), xr).saveFile(dir + "/doc-enc.xml");
system.setProperty("SymmmetricCryptAlgorithm", algorithms["aes128"]);
xml.encrypt(doc, xr).saveFile(dir + "/after-xml.der");

// The component's XML verifier (mode 6) opens what it encrypted for a certificate the user
// holds: each algorithm, in each of the three placements.
var forMe = new ActiveXObject("Quillion2.QNRecipients");
forMe.setRecipient(mine);
var xmlAlgorithms = ["1.2.840.113549.3.7", "AES-128", "AES-256"];
var placements = [["", "FALSE"], ["secreto", "FALSE"], ["secreto", "TRUE"]];
for (var x = 0; x < xmlAlgorithms.length; x++) {
    for (var p = 0; p < placements.length; p++) {
        var what = "XML Encryption " + xmlAlgorithms[x] + " [" + placements[p] + "]";
        var enveloper = system.newEnvelopedData();
        system.setProperty("SymmmetricCryptAlgorithm", xmlAlgorithms[x]);
        system.setProperty("ElementToCypher", placements[p][0]);
        system.setProperty("XMLEncDoContentOnly", placements[p][1]);
        var sealedXml = enveloper.encrypt(load("doc.xml"), forMe);
        check(sealedXml.contentString.indexOf("Nos vemos") < 0, what + ": still readable");
        var opener = system.newVerifier();
        equal(opener.verify(sealedXml, null, 0), 5, what + ": result");
        equal(opener.getStatus(0).idError, 0, what + ": status");
        equal(opener.getStatus(0).signerCertificate.getSubjectName(), mine.getSubjectName(),
              what + ": recipient");
        var opened = opener.getContent().contentString;
        check(opened.indexOf("Nos vemos <b>ma") > 0 && opened.indexOf("</b> a las 5") > 0,
              what + ": content " + opened);
    }
}

// An envelope made by ProgID has no enveloper.
var bare = new ActiveXObject("Quillion2.QNEnvelopedData");
fails(function () { bare.encrypt(doc, recipients); }, 0x8004465C,
      "QNEnvelopedData: El objeto no ha sido inicializado. Utilice " +
      "QNCryptoSystem.newEnvelopedData.", "envelope without enveloper");

// Raw RSA with a 512-bit key pair.
var sealed = system.encrypt(load("rsa512.pub"), doc);
equal(sealed.contentData.length % 64, 0, "raw RSA blocks");
equal(system.decrypt(load("rsa512.p8"), sealed).contentData, doc.contentData, "raw RSA");
fails(function () { system.decrypt(load("rsa512.p8"), load("doc.bin")); }, 0x80090004,
      undefined, "raw RSA of a content that is not whole blocks");
done();
