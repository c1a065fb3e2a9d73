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
