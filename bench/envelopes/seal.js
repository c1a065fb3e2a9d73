// seal.js IN OUT: CMS envelope (AES-256-CBC) of the file IN for the first certificate of the
// user's MY store, written to OUT.
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
var recipients = new ActiveXObject("Quillion2.QNRecipients");
recipients.setRecipient(system.openSystemStore("MY", 2).getCertificates().getCertificate(0));
system.setMode(3);
system.setProperty("SymmmetricCryptAlgorithm", "2.16.840.1.101.3.4.1.42");
var content = new ActiveXObject("Quillion2.QNContent");
content.loadFileWithPath(WScript.Arguments.Item(0));
system.newEnvelopedData().encrypt(content, recipients).saveFile(WScript.Arguments.Item(1));
