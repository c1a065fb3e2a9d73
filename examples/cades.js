// qnscript examples/cades.js FILE SIGNATURE
// The typical request: a detached CAdES signature of FILE with the first signing certificate
// of the user's MY store, saved as DER to SIGNATURE, then verified by QNVerifier.
if (WScript.Arguments.length < 2) {
    WScript.Echo("usage: qnscript cades.js FILE SIGNATURE");
    WScript.Quit(2);
}
var file = WScript.Arguments.Item(0), out = WScript.Arguments.Item(1);
try {
    var system = new ActiveXObject("Quillion2.QNCryptoSystem");
    system.setMode(7); // MT_CAdES
    system.setProperty("HashAlgorithm", "2.16.840.1.101.3.4.2.1"); // SHA-256
    var certs = system.openSystemStore("MY", 2).getCertificates();
    var signer = null;
    for (var i = 0; i < certs.length && signer === null; i++) {
        var c = certs.getCertificate(i);
        var usage = c.getKeyUsage();
        if (c.hasPrivateKey() && (usage.Item(0) || usage.Item(1))) {
            signer = c;
        }
    }
    if (signer === null) {
        WScript.Echo("No signing certificate in MY");
        WScript.Quit(1);
    }
    var content = new ActiveXObject("Quillion2.QNContent");
    content.loadFileWithPath(file);
    var signature = system.newSignData().sign(content, signer, 1);
    signature.saveFile(out);
    WScript.Echo("Signer:    " + signer.getSubjectName());
    WScript.Echo("Signature: " + out + " (detached CAdES, " + signature.contentData.length +
                 " bytes)");
    var verifier = system.newVerifier();
    var result = verifier.verify(signature, content, 1);
    var status = verifier.getStatus(0);
    WScript.Echo("QNVerifier: " + result + " (" + status.idError + ", " +
                 status.errorDescription + ")");
    WScript.Quit(result === 1 ? 0 : 1);
} catch (e) {
    WScript.Echo("Error " + (e.number >>> 0).toString(16).toUpperCase() + ": " + e.description);
    WScript.Quit(1);
}
