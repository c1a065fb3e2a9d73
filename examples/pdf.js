// qnscript examples/pdf.js DOCUMENT.pdf PICTURE.jpg SIGNED.pdf
// Signs DOCUMENT.pdf in one call with QPASigner and the first signing certificate of the
// user's MY store: a visible signature on page 1 at the default place, showing the JPEG
// picture and the signer's name. Writes SIGNED.pdf, loads it again and prints the status of
// each of its signatures.
if (WScript.Arguments.length < 3) {
    WScript.Echo("usage: qnscript pdf.js DOCUMENT.pdf PICTURE.jpg SIGNED.pdf");
    WScript.Quit(2);
}
var input = WScript.Arguments.Item(0), image = WScript.Arguments.Item(1);
var out = WScript.Arguments.Item(2);
try {
    var system = new ActiveXObject("Quillion2.QNCryptoSystem");
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
    var document = new ActiveXObject("Quillion2.QNContent");
    document.loadFileWithPath(input);
    var picture = new ActiveXObject("Quillion2.QNContent");
    picture.loadFileWithPath(image);

    // Name "" (the certificate's), page 0 (the first), rectangle 0,0,0,0 (the default
    // place), font size 0 (10 points); detached 1 (always), add 1 (keep earlier signatures).
    var qpa = new ActiveXObject("Quillion2.QPASigner");
    var signed = qpa.sign("", 0, 0, 0, 0, 0, "Helvetica", 0, picture, document, signer, 1, 1);
    signed.saveFile(out);
    WScript.Echo("Signer: " + signer.getSubjectName());
    WScript.Echo("Signed: " + out + " (" + signed.contentData.length + " bytes)");

    var again = new ActiveXObject("Quillion2.QNContent");
    again.loadFileWithPath(out);
    qpa.load(again);
    var count = qpa.GetMaxSign();
    var valid = 0;
    for (var n = 0; n < count; n++) {
        var status = qpa.getStatus(n);
        WScript.Echo("Signature " + n + ": " + status.idError + " (" + status.errorDescription +
                     "), " + status.signerCertificate.getSubjectName());
        if (status.idError === 0) {
            valid++;
        }
    }
    WScript.Quit(count > 0 && valid === count ? 0 : 1);
} catch (e) {
    WScript.Echo("Error " + (e.number >>> 0).toString(16).toUpperCase() + ": " + e.description);
    WScript.Quit(1);
}
