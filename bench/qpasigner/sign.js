// The one-call signature of a script, timed as a whole process by run.sh:
//   qnscript sign.js DOCUMENT.pdf SIGNED.pdf POSITION
// loadFileWithPath, QPASigner.sign with every default (no picture, page 1, the default
// place) and the certificate at POSITION in MY, saveFile.
var signer = new ActiveXObject("Quillion2.QNCryptoSystem").openSystemStore("MY", 2)
                 .getCertificates().getCertificate(parseInt(WScript.Arguments.Item(2), 10));
var document = new ActiveXObject("Quillion2.QNContent");
document.loadFileWithPath(WScript.Arguments.Item(0));
var qpa = new ActiveXObject("Quillion2.QPASigner");
var signed = qpa.sign("", 0, 0, 0, 0, 0, "Helvetica", 0, null, document, signer, 1, 1);
signed.saveFile(WScript.Arguments.Item(1));
