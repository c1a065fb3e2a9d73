// qnscript examples/host/table.js
// Lists the certificates of the user's MY store with QNCryptoSystem.getCertificates: the
// result is a two-dimensional array (row, column) read through VBArray.
var crypto = new ActiveXObject("Quillion2.QNCryptoSystem");
var store = crypto.openSystemStore("MY", 2);
var certificates = store.getCertificates();
var table = new VBArray(crypto.getCertificates(certificates, 0, "ALL", 0, "Subject|CN", ""));
for (var row = 0; row <= table.ubound(1); row++) {
    WScript.Echo(table.getItem(row, 0), table.getItem(row, 1));
}
WScript.Echo(table.ubound(1) + 1, "certificate(s)");
