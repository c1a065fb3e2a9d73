// For every file named in the arguments: "<name> <sha256> <sha1> <md5>" and its Base64 on the
// next line, as QNContent computes them; then setBASE64 of that text must give the bytes back.
var cs = new ActiveXObject("Quillion2.QNCryptoSystem");
var c = new ActiveXObject("Quillion2.QNContent");
var back = new ActiveXObject("Quillion2.QNContent");
for (var i = 0; i < WScript.Arguments.length; i++) {
    var file = WScript.Arguments.Item(i);
    c.loadFileWithPath(file);
    var line = file;
    var oids = ["2.16.840.1.101.3.4.2.1", "1.3.14.3.2.26", "1.2.840.113549.2.5"];
    for (var k = 0; k < oids.length; k++) {
        cs.setProperty("HashAlgorithm", oids[k]);
        line += " " + c.getHash();
    }
    WScript.Echo(line);
    var b64 = c.toBASE64();
    WScript.Echo(b64);
    back.setBASE64(b64);
    if (back.contentData !== c.contentData) {
        WScript.Echo("FAIL: setBASE64 round trip of " + file);
        WScript.Quit(1);
    }
}
cs.setProperty("HashAlgorithm", "1.2.840.113549.2.2");
fails(function () { c.getHash(); }, DISP_E_EXCEPTION, "Error creando hash.", "MD2");
cs.setProperty("HashAlgorithm", "1.2.840.113549.2.4");
fails(function () { c.getHash(); }, DISP_E_EXCEPTION, "Error creando hash.", "MD4");
cs.setProperty("HashAlgorithm", "");
fails(function () { c.getHash(); }, DISP_E_EXCEPTION, "Error creando hash.", "no algorithm");
if (failures > 0) WScript.Quit(1);
