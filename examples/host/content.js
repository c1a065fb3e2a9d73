// qnscript examples/host/content.js [TEXT]
// Loads text into a QNContent, shows it as Base64 and as bytes, and reports a failure the
// way the component gives it (number and description).
var text = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "Hola, mundo";
var content = new ActiveXObject("Quillion2.QNContent");
content.contentString = text;
WScript.Echo("Base64:", content.toBASE64());

var bytes = content.contentData; // a binary string: one character per byte
var hex = [];
for (var i = 0; i < bytes.length; i++) {
    hex.push(("0" + bytes.charCodeAt(i).toString(16)).slice(-2));
}
WScript.Echo("Bytes:", hex.join(" "));

try {
    content.loadFileWithPath("");
} catch (e) {
    WScript.Echo("Error", (e.number >>> 0).toString(16), e.description);
}
