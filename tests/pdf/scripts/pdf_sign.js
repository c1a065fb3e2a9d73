// PdfSign through the script host: pdf_sign.js DOCUMENT.pdf WORKDIR ENCRYPTED.pdf
// Creates a signature on the last page, saves the bytes to sign to WORKDIR/tosign.bin, waits
// for WORKDIR/sig.hex (the test signs with openssl), inserts it and saves WORKDIR/signed.pdf.
var failures = 0;
function check(condition, what) {
    if (!condition) {
        failures++;
        WScript.Echo("FAIL: " + what);
    }
}
function equal(actual, expected, what) {
    check(actual === expected, what + ": got [" + actual + "], expected [" + expected + "]");
}
var DISP_E_EXCEPTION = 0x80020009 | 0;

var work = WScript.Arguments.Item(1);
var pdf = new ActiveXObject("Quillion2.PdfSign");
var c = new ActiveXObject("Quillion2.QNContent");

// Without a document the getters answer nothing.
equal(pdf.GetMaxSign(), 0, "signatures before loading");
check(!pdf.GetAllB64Bytes(), "GetAllB64Bytes without a document");
pdf.InicializarPdf();

c.loadFileWithPath(WScript.Arguments.Item(0));
pdf.Set_Base64(c.toBASE64());
var pages = pdf.CountPages();
equal(pages, 3, "CountPages");
equal(pdf.GetRotate(2), 90, "GetRotate of the rotated page");
equal(pdf.GetRotate(1), 0, "GetRotate of a plain page");
equal(pdf.GetMaxSign(), 0, "no signatures yet");

var index = pdf.CreateSign("Juan (Firma)", "", pages, 100, 100, 300, 160, "Times-Bold", 12, 0, 1);
equal(index, 0, "index of the first signature");
var zeros = pdf.GetSignHex(0);
equal(zeros.length, 9472, "placeholder length");
check(/^0*$/.test(zeros), "placeholder is zeros");
var all = pdf.GetAllBytes();
check(all.indexOf("/Name (Juan \\(Firma\\))") > 0, "escaped name in the document");
var toSign = pdf.GetBytesToSign(0);
equal(toSign.length + 9472 + 2, all.length, "signed bytes cover all but the placeholder");
var toSign64 = pdf.GetBytesB64ToSign(0);
var check64 = new ActiveXObject("Quillion2.QNContent");
check64.setBASE64(toSign64);
equal(check64.contentData === toSign, true, "GetBytesB64ToSign is the Base64 of GetBytesToSign");
equal(pdf.GetBytesToSign(5).length, 0, "bytes of a signature that does not exist");

c.contentData = toSign;
c.saveFile(work + "/tosign.bin");
var deadline = new Date().getTime() + 60000;
var loaded = false;
while (!loaded && new Date().getTime() < deadline) {
    try {
        c.loadFileWithPath(work + "/sig.hex");
        loaded = true;
    } catch (e) {
    }
}
check(loaded, "signature value arrived");
pdf.InsertSign(c.contentData, index);
equal(pdf.GetSignHex(0).substring(0, c.contentData.length), c.contentData, "inserted value");

var out = new ActiveXObject("Quillion2.QNContent");
out.setBASE64(pdf.GetAllB64Bytes());
out.saveFile(work + "/signed.pdf");

// The encrypted-document error reaches the script with its text.
c.loadFileWithPath(WScript.Arguments.Item(2));
try {
    pdf.Set_Base64(c.toBASE64());
    check(false, "encrypted document loaded");
} catch (e) {
    equal(e.number, DISP_E_EXCEPTION, "encrypted error number");
    equal(e.description, "PDF_ENCRYPTED", "encrypted error text");
}
if (failures > 0) {
    WScript.Echo(failures + " failure(s)");
    WScript.Quit(1);
}
WScript.Echo("OK");
WScript.Quit(0);
