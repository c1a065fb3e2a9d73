// strings.js N: N contentString put + get on one QNContent, as a page script would do.
var n = parseInt(WScript.Arguments.Item(0), 10);
var content = new ActiveXObject("Quillion2.QNContent");
var text = "";
for (var i = 0; i < n; i++) {
    content.contentString = "linea " + i;
    text = content.contentString;
}
if (text !== "linea " + (n - 1)) {
    WScript.Echo("wrong text: " + text);
    WScript.Quit(1);
}
