// roundtrip.js FILE [OUT]: loadFileWithPath + toBASE64 + setBASE64 of a file, as a page
// script moves a document through the component; OUT, when given, receives the decoded bytes
// (saveFile) so that the run can be checked.
var content = new ActiveXObject("Quillion2.QNContent");
content.loadFileWithPath(WScript.Arguments.Item(0));
var text = content.toBASE64();
var copy = new ActiveXObject("Quillion2.QNContent");
copy.setBASE64(text);
if (WScript.Arguments.length > 1) {
    copy.saveFile(WScript.Arguments.Item(1));
}
