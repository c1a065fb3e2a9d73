// qnscript examples/content.js FILE
// Loads FILE into a QNContent and prints its Base64 and its SHA-256.
if (WScript.Arguments.length < 1) {
    WScript.Echo("usage: qnscript content.js FILE");
    WScript.Quit(2);
}
var file = WScript.Arguments.Item(0);
try {
    var system = new ActiveXObject("Quillion2.QNCryptoSystem");
    system.setProperty("HashAlgorithm", "2.16.840.1.101.3.4.2.1"); // SHA-256
    var content = new ActiveXObject("Quillion2.QNContent");
    content.loadFileWithPath(file);
    WScript.Echo("Quillion2 " + system.getVersion());
    WScript.Echo("File:    " + file + " (" + content.getFileSizeByPath(file) + " bytes)");
    WScript.Echo("Base64:  " + content.toBASE64());
    WScript.Echo("SHA-256: " + content.getHash());
} catch (e) {
    WScript.Echo("Error " + (e.number >>> 0).toString(16).toUpperCase() + ": " + e.description);
    WScript.Quit(1);
}
