// The listing the benchmark times: every certificate of MY, filtered by a trust entity and a
// restriction. Prints the number of rows.
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
var certs = system.openSystemStore("MY", 2).getCertificates();
system.addTrustEntity("CN=Bench CA (Pruebas), O=Bench, C=ES");
system.addRestriction("Extension|2.5.29.15", "digitalSignature");
var rows = new VBArray(system.getCertificates(certs, 1, "ALL", 1, "Subject|CN", ""));
WScript.Echo(rows.ubound(1) + 1);
