// sign.js FILE OUT MODE: loads FILE, signs it detached (CAdES in mode 7) with the first
// signing certificate of MY and saves the DER signature to OUT; prints the milliseconds of
// loadFileWithPath and of sign.
var file = WScript.Arguments.Item(0), out = WScript.Arguments.Item(1);
var cs = new ActiveXObject("Quillion2.QNCryptoSystem");
cs.setMode(parseInt(WScript.Arguments.Item(2), 10));
cs.setProperty("HashAlgorithm", "2.16.840.1.101.3.4.2.1");
var cert = cs.openSystemStore("MY", 2).getCertificates().getCertificate(0);
var content = new ActiveXObject("Quillion2.QNContent");
var t0 = new Date().getTime();
content.loadFileWithPath(file);
var t1 = new Date().getTime();
var signature = cs.newSignData().sign(content, cert, 1);
var t2 = new Date().getTime();
signature.saveFile(out);
WScript.Echo("load " + (t1 - t0) + " sign " + (t2 - t1));
