// pdfsign.js IN.pdf OUT.pdf: the PdfSign sequence of a signing page, whole: load the
// document, Set_Base64, CreateSign, GetBytesB64ToSign, InsertSign (a fixed value: the
// signature itself is made elsewhere and takes a millisecond), GetAllB64Bytes, setBASE64,
// saveFile.
var content = new ActiveXObject("Quillion2.QNContent");
content.loadFileWithPath(WScript.Arguments.Item(0));
var pdf = new ActiveXObject("Quillion2.PdfSign");
pdf.Set_Base64(content.toBASE64());
var index = pdf.CreateSign("Bench", "", pdf.CountPages(), 50, 50, 250, 120, "Helvetica", 10, 0, 1);
var toSign = pdf.GetBytesB64ToSign(index);
if (toSign.length == 0) {
    WScript.Echo("no bytes to sign");
    WScript.Quit(1);
}
var value = "";
for (var i = 0; i < 2000; i++) value += "3082";
pdf.InsertSign(value, index);
content.setBASE64(pdf.GetAllB64Bytes());
content.saveFile(WScript.Arguments.Item(1));
