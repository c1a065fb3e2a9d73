// The signing sequence of a script, timed from Set_Base64 to GetAllB64Bytes:
//   qnscript sign.js DOCUMENT.pdf  -> prints the seconds
var c = new ActiveXObject("Quillion2.QNContent");
c.loadFileWithPath(WScript.Arguments.Item(0));
var text = c.toBASE64();
var value = "";
for (var i = 0; i < 4000; i++) value += "A";
var start = new Date().getTime();
var pdf = new ActiveXObject("Quillion2.PdfSign");
pdf.Set_Base64(text);
var index = pdf.CreateSign("Bench", "", pdf.CountPages(), 50, 50, 250, 120, "Helvetica", 10, 0, 1);
var toSign = pdf.GetBytesB64ToSign(index);
pdf.InsertSign(value, index);
var signed = pdf.GetAllB64Bytes();
var elapsed = (new Date().getTime() - start) / 1000;
if (signed.length < text.length || toSign.length == 0) {
    WScript.Echo("FAIL");
    WScript.Quit(1);
}
WScript.Echo(elapsed);
