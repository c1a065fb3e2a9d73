// sign.js DOCUMENT OUTPUT: an enveloped XML-DSig signature of the whole document with the
// first certificate of the user's MY store, as a page would make it.
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
system.setMode(2);
system.setProperty("HashAlgorithm", "1.3.14.3.2.26");
system.setProperty("EnvelopeType", "ENVELOPED");
var cert = system.openSystemStore("MY", 2).getCertificates().getCertificate(0);
var doc = new ActiveXObject("Quillion2.QNContent");
doc.loadFileWithPath(WScript.Arguments.Item(0));
system.newSignData().sign(doc, cert, 0).saveFile(WScript.Arguments.Item(1));
