// QPASigner through the script host (lib.js comes first):
//   qpa_signer.js sign IN.pdf IMAGE|- OUT.pdf [pades]   signs with the demonstration signer
//   qpa_signer.js status IN.pdf                         prints "status INDEX IDERROR TEXT" lines
//   qpa_signer.js errors ENCRYPTED.pdf                  the reports of documents it cannot use
var mode = WScript.Arguments.Item(0);

function signingCertificate() {
    var certs = new ActiveXObject("Quillion2.QNCryptoSystem").openSystemStore("MY", 2)
                    .getCertificates();
    for (var i = 0; i < certs.length; i++) {
        var c = certs.getCertificate(i);
        var usage = c.getKeyUsage();
        if (c.hasPrivateKey() && (usage.Item(0) || usage.Item(1))) {
            return c;
        }
    }
    throw new Error("no signing certificate");
}

function load(path) {
    var content = new ActiveXObject("Quillion2.QNContent");
    content.loadFileWithPath(path);
    return content;
}

if (mode === "sign") {
    if (WScript.Arguments.length > 4) {
        new ActiveXObject("Quillion2.QNCryptoSystem").setProperty("PDF_SIGNATURE_FORMAT",
                                                                  "MT_PADES");
    }
    var content = load(WScript.Arguments.Item(1));
    var image = WScript.Arguments.Item(2);
    var picture = image === "-" ? new ActiveXObject("Quillion2.QNContent") : load(image);
    var qpa = new ActiveXObject("Quillion2.QPASigner");
    var signed = qpa.sign("", 0, 0, 0, 0, 0, "Helvetica", 0, picture, content,
                          signingCertificate(), 1, 1);
    signed.saveFile(WScript.Arguments.Item(3));
    // The content given now holds the signed ranges: all but the 9472 digits and "<>".
    equal(content.contentData.length, signed.contentData.length - 9474, "signed ranges");
    equal(content.contentData.substring(0, 8), "%PDF-1.4", "ranges start with the document");
    done();
} else if (mode === "status") {
    var qpa = new ActiveXObject("Quillion2.QPASigner");
    qpa.load(load(WScript.Arguments.Item(1)));
    var count = qpa.GetMaxSign();
    for (var i = 0; i < count; i++) {
        var status = qpa.getStatus(i);
        WScript.Echo("status " + i + " " + status.idError + " " + status.errorDescription);
        var der = qpa.getSign(i).contentData;
        // A SEQUENCE exactly as long as its header says (two length octets), or, written
        // with an indefinite length, up to its end-of-contents octets.
        equal(der.charCodeAt(0), 0x30, "signature " + i + " is a SEQUENCE");
        if (der.charCodeAt(1) === 0x80) {
            equal(der.substring(der.length - 2), "\0\0", "signature " + i + " ends");
        } else {
            equal(der.charCodeAt(1), 0x82, "signature " + i + " length octets");
            equal(der.length, 4 + der.charCodeAt(2) * 256 + der.charCodeAt(3), "signature " + i);
        }
        check(qpa.getSignedData(i).contentData.length > 0, "signed data " + i);
    }
    equal(qpa.getStatus(count), null, "status past the last signature");
    done();
} else if (mode === "errors") {
    var qpa = new ActiveXObject("Quillion2.QPASigner");
    fails(function () { qpa.GetMaxSign(); }, 0x80044665,
          "El objeto QPASigner no fue correctamente inicializado.", "before load");
    var encrypted = load(WScript.Arguments.Item(1));
    var protectedText = "No se ha podido firmar el PDF por estar protegido o cifrado.";
    fails(function () { qpa.load(encrypted); }, 0x80044660, protectedText, "load encrypted");
    fails(function () {
        qpa.sign("", 0, 0, 0, 0, 0, "Helvetica", 0, null, encrypted, signingCertificate(), 1, 1);
    }, 0x80044660, protectedText, "sign encrypted");
    done();
}
