// Signs the way a web page does: QNCryptoSystem, the user's MY store, QNSignData by mode.
// Writes the signatures beside the document for sign.sh to check with openssl; prints OK when
// every check here holds (helpers from tests/scripts/lib.js).
var dir = WScript.Arguments.Item(0);
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
var certs = system.openSystemStore("MY", 2).getCertificates();
var signing = certs.getCertificate(0);
var encipherment = certs.getCertificate(1);
var doc = new ActiveXObject("Quillion2.QNContent");
doc.loadFileWithPath(dir + "/doc.txt");

// CAdES, detached, with signing time; then co-signed by a certificate sign() refuses.
system.setMode(7);
system.setProperty("HashAlgorithm", "2.16.840.1.101.3.4.2.1");
var cades = system.newSignData();
cades.timeStamp = 7;
equal(cades.timeStamp, 1, "timeStamp reads 1");
var signature = cades.sign(doc, signing, 1);
signature.saveFile(dir + "/cades.p7s");
fails(function () { cades.sign(doc, encipherment, 1); }, 0x80020009,
            "QNSignData::sign: Certificado no válido para firma.", "key usage");
var cosigned = cades.cosign(signature, doc, encipherment, 1);
cosigned.saveFile(dir + "/cosigned.p7s");
fails(function () { cades.cosign(doc, null, signing, 0); }, 0x8009310B, undefined,
            "co-signing a text");

// PKCS#7, attached.
system.setMode(1);
system.setProperty("HashAlgorithm", "1.3.14.3.2.26");
var pkcs7 = system.newSignData();
pkcs7.sign(doc, signing, 0).saveFile(dir + "/attached.p7");

// A signer made by ProgID has no format.
var bare = new ActiveXObject("Quillion2.QNSignData");
fails(function () { bare.sign(doc, signing, 0); }, 0x8004465B,
            "QNSignData: El objeto no ha sido inicializado. Utilice QNCryptoSystem.newSignData.",
            "signer without format");
done();
