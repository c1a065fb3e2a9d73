// A CAdES detached signature of a file picked in the open dialog, then checks by QNVerifier;
// writes the signatures as Base64 into the folder given for openssl to check.
var folder = WScript.Arguments.Item(0);
var fso = null;
function save(name, content) { content.saveFile(folder + "/" + name); }
function base64File(name, content) {
    var text = new ActiveXObject("Quillion2.QNContent");
    text.contentString = content.toBASE64();
    save(name, text);
}
function certificateNamed(certs, cn) {
    for (var i = 0; i < certs.length; i++) {
        var c = certs.getCertificate(i);
        if (c.getSubjectName().indexOf("CN=" + cn + ",") === 0) {
            return c;
        }
    }
    return null;
}

var cs = new ActiveXObject("Quillion2.QNCryptoSystem");
cs.setMode(7);
cs.setProperty("HashAlgorithm", "2.16.840.1.101.3.4.2.1");
cs.setProperty("CADES_SIGNATURE_POLICY", "");
var certs = cs.openSystemStore("MY", 2).getCertificates();
var signer = certificateNamed(certs, "JUAN FIRMA");
check(signer !== null, "signing certificate in MY");

var file = new ActiveXObject("Quillion2.QNContent");
var path = file.loadFileWithDialog();
equal(path, folder + "/documento.bin", "chosen file");
var sd = cs.newSignData();
var signature = sd.sign(file, signer, 1);
base64File("cades.b64", signature);

// QNVerifier checks it against the file: one valid signer at level 0.
var verifier = cs.newVerifier();
equal(verifier.isDetached(signature), 1, "isDetached");
equal(verifier.verify(signature, file, 1), 1, "verify detached");
var status = verifier.getStatus(0);
equal(status.idError, 0, "idError");
equal(status.errorDescription, "No hay ningun error", "errorDescription");
equal(status.level, 0, "level");
equal(status.signerCertificate.getSubjectName(), signer.getSubjectName(), "signer certificate");
check(verifier.getStatus(1) === null, "one status only");

// A changed byte breaks it.
var tampered = new ActiveXObject("Quillion2.QNContent");
var bytes = file.contentData;
tampered.contentData = bytes.substring(0, 1000) +
                       String.fromCharCode(bytes.charCodeAt(1000) ^ 1) + bytes.substring(1001);
var second = cs.newVerifier();
equal(second.verify(signature, tampered, 1), 0, "tampered content");
equal(second.getStatus(0).idError, 0x80090006 | 0, "tampered idError");
equal(second.getStatus(0).errorDescription, "Firma inválida", "tampered description");

// Attached PKCS#7 and CMS signatures of a text carry the text back.
var text = new ActiveXObject("Quillion2.QNContent");
text.contentString = "Texto firmado por la prueba";
save("texto.txt", text);
var modes = [[1, "pkcs7.b64"], [3, "cms.b64"]];
for (var m = 0; m < modes.length; m++) {
    cs.setMode(modes[m][0]);
    var attached = cs.newSignData().sign(text, signer, 0);
    base64File(modes[m][1], attached);
    var v = cs.newVerifier();
    equal(v.isDetached(attached), 0, "attached isDetached, mode " + modes[m][0]);
    equal(v.verify(attached, null, 0), 1, "attached verify, mode " + modes[m][0]);
    equal(v.getContent().contentString, text.contentString, "content, mode " + modes[m][0]);
}

// Failure numbers as a script sees them.
cs.setMode(7);
var cifrado = certificateNamed(certs, "JUAN CIFRADO");
fails(function () { cs.newSignData().sign(text, cifrado, 1); }, 0x80020009,
      "QNSignData::sign: Certificado no válido para firma.", "certificate not for signing");
var protegida = certificateNamed(certs, "JUAN CLAVE");
fails(function () { cs.newSignData().sign(text, protegida, 1); }, 0x80044662,
      "Ha introducido una contraseña erronea", "wrong password");
fails(function () { cs.newSignData().sign(text, protegida, 1); }, 0x80044661,
      "El usuario ha cancelado la operacion", "cancelled password prompt");
var direct = new ActiveXObject("Quillion2.QNVerifier");
fails(function () { direct.getStatus(0); }, 0x80044664,
      "Verifier was not initialized correctly. Use QNCryptoSystem object for create a verifier",
      "verifier without the facade");
var directSigner = new ActiveXObject("Quillion2.QNSignData");
fails(function () { directSigner.sign(text, signer, 1); }, 0x8004465B,
      "QNSignData: El objeto no ha sido inicializado. Utilice QNCryptoSystem.newSignData.",
      "signer without the facade");
// A detached signature co-signed without its content has nothing to sign.
fails(function () { cs.newSignData().cosign(signature, null, signer, 1); }, 0x80070057,
      undefined, "detached co-signature without the content");
equal(cs.newSignData().cosign(signature, file, signer, 1).contentData.length >
      signature.contentData.length, true, "detached co-signature with the content");
done();
