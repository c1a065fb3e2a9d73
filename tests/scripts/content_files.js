// QNContent files, dialogs and sizes. Arguments: the work folder.
var dir = WScript.Arguments.Item(0);
var c = new ActiveXObject("Quillion2.QNContent");

fails(function () { c.loadFileWithPath(""); }, QN_E_READ, "No se ha podido leer el fichero.",
      "empty path");
fails(function () { c.loadFileWithPath(dir + "/missing"); }, QN_E_READ,
      "No se ha podido leer el fichero.", "missing file");
c.loadFileWithPath(dir + "/odd.bin");
equal(hex(c.contentData), "00ff0102ff", "loaded bytes");
equal(c.getFileSizeByPath(dir + "/odd.bin"), 5, "getFileSizeByPath");
equal(c.getFileSizeByPath(dir + "/missing"), 4294967295, "size of a missing file");
c.saveFile(dir + "/copy.bin");
fails(function () { c.saveFile(dir + "/no/such/dir/x"); }, QN_E_WRITE,
      "No se ha podido escribir en fichero.", "write failure");

// What is not a regular file is no content: a FIFO (never waited on) and a terminal or pipe
// are refused; a /proc file, whose reported size is 0, is read to its end.
fails(function () { c.loadFileWithPath(dir + "/fifo"); }, QN_E_READ,
      "No se ha podido leer el fichero.", "FIFO");
fails(function () { c.loadFileWithPath("/dev/null"); }, QN_E_READ,
      "No se ha podido leer el fichero.", "device");
c.loadFileWithPath("/proc/self/status");
check(c.contentString.indexOf("Name:") === 0, "a /proc file is read to its end");

// A NUL inside a path would name another file: every member that takes a path refuses it.
var E_INVALIDARG = 0x80070057;
fails(function () { c.loadFileWithPath(dir + "/odd.bin\u0000.pdf"); }, E_INVALIDARG,
      "The parameter is incorrect.", "NUL in loadFileWithPath");
fails(function () { c.saveFile(dir + "/nul.bin\u0000/../x"); }, E_INVALIDARG,
      "The parameter is incorrect.", "NUL in saveFile");
fails(function () { c.getFileSizeByPath(dir + "/odd.bin\u0000x"); }, E_INVALIDARG,
      "The parameter is incorrect.", "NUL in getFileSizeByPath");
fails(function () { c.saveFileWithDialog("a\u0000b.txt"); }, E_INVALIDARG,
      "The parameter is incorrect.", "NUL in saveFileWithDialog");

// Dialogs, answered from QUILLION_UI_ANSWERS.
var path = c.loadFileWithDialog();
equal(path, dir + "/text.txt", "open dialog path");
equal(c.contentString, "hola", "open dialog content");
fails(function () { c.loadFileWithDialog(); }, QN_E_DIALOG_CANCELLED, "El usuario canceló.",
      "cancelled open");
equal(c.loadFileWithDialogTitle("Elija un fichero"), dir + "/odd.bin", "titled dialog");
equal(c.contentData.length, 5, "titled dialog content");
c.contentString = "untouched";
equal(c.getFilePathWithDialog(), dir + "/text.txt", "path only");
equal(c.contentString, "untouched", "getFilePathWithDialog leaves the content");
fails(function () { c.getFilePathWithDialog(); }, QN_E_DIALOG_CANCELLED, "El usuario canceló.",
      "no answer left");
equal(c.saveFileWithDialog("defecto.txt"), dir + "/saved.txt", "save dialog");
fails(function () { c.saveFileWithDialog("defecto.txt"); }, QN_E_DIALOG_CANCELLED,
      "El usuario canceló.", "cancelled save");
done();
