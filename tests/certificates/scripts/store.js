// Reads the user's MY store prepared by store.sh; prints OK when every check holds.
var failures = 0;
function check(cond, what) {
    if (!cond) {
        WScript.Echo("FAIL: " + what);
        failures++;
    }
}
function hex(n) { return (n >>> 0).toString(16).toUpperCase(); }
function expectError(fn, number, description, what) {
    try {
        fn();
        check(false, what + ": no error");
    } catch (e) {
        check(hex(e.number) == hex(number), what + ": number " + hex(e.number));
        if (description !== null) {
            check(e.description == description, what + ": description '" + e.description + "'");
        }
    }
}
var serial = WScript.Arguments.Item(0);
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
var store = system.openSystemStore("MY", 2);
var certs = store.getCertificates();
check(certs.length == 3, "three certificates, got " + certs.length);

var first = certs.getCertificate(0);
check(first.getSubjectName() == "CN=JUAN FIRMA, SERIALNUMBER=12345678Z, O=ACME, C=ES",
      "subject " + first.getSubjectName());
check(first.getIssuerName() == "CN=AC (Pruebas), O=ACME, C=ES", "issuer " + first.getIssuerName());
check(first.getSerialNumber() == serial, "serial " + first.getSerialNumber() + " vs " + serial);
check(first.hasPrivateKey() == -1, "private key present");
check(first.getUniqueId().length == 40, "unique id " + first.getUniqueId());
check(first.getAuthorityUniqueId().length == 40, "authority id");
var usage = first.getKeyUsage();
check(usage.Count == 16, "16 key usage items");
check(usage.Item(0) === true && usage.Item(1) === true && usage.Item(2) === false &&
      usage.Item(15) === false,
      "key usage digitalSignature, nonRepudiation");
var from = first.getValidFromDate(), to = first.getValidToDate();
check(from instanceof Date && to > from, "dates");
check(first.verifyDates(new Date()) == 1, "valid now");
check(first.getCertificate() !== null, "platform object");
check(first.toBASE64().indexOf("MII") == 0, "base64");
var ca = certs.getCertificate(2);
check(ca.hasPrivateKey() == 0, "CA without key");

// Fields and descriptions.
var d = new VBArray(first.getFieldsDescriptions());
check(d.dimensions() == 2 && d.ubound(1) == 7 && d.ubound(2) == 1, "descriptions 8x2");
check(d.getItem(1, 1) == "Subject - Número de serie del asunto", "description text");
first.addField("Subject|CN");
first.addPattern("([A-Z]+) ([A-Z]+)");
first.addConstant("");
first.addField("Subject|SERIALNUMBER");
first.addPattern("Z$");
first.addConstant("DNI");
var info = new VBArray(first.getInfo());
check(info.ubound(1) == 1, "two info rows");
// The columns are those of the last matching row: the first row loses its third cell.
check(info.ubound(2) == 1, "two columns");
check(info.getItem(0, 0) == "Subject|CN" && info.getItem(0, 1) == "JUAN", "groups");
check(info.getItem(1, 1) == "DNI", "constant");
check(new VBArray(first.getInfo()).dimensions() == 2, "empty info is an array");

// The Java names through the settings.
system.setProperty("DNFormat", "Java");
check(first.getSubjectName() == "CN=JUAN FIRMA, SERIALNUMBER=12345678Z, O=ACME, C=ES",
      "Java subject");
system.setProperty("DNFormat", "Ms");
check(first.getSubjectName() == "CN=JUAN FIRMA, OID.2.5.4.5=12345678Z, O=ACME, C=ES",
      "Ms subject " + first.getSubjectName());
system.setProperty("DNFormat", "");

// Picker: the scripted answer, then a cancellation.
var picked = certs.select("Elija", "", 0);
check(picked.length == 1 && picked.getCertificate(0).getSubjectName().indexOf("JUAN CIFRADO") > 0,
      "picked the second");
expectError(function () { certs.select("Elija", "", 0); }, 0x80044653,
            "CQNCertificates::select: Cancelado por el usuario", "cancelled picker");
check(certs.length == 3, "select leaves the collection");

// find narrows the collection it is called on.
var narrowed = certs.find(5, "JUAN");
check(narrowed.length == 2 && certs.length == 2, "find by subject narrows");
certs.find(3, 0x20);
check(certs.length == 1, "find by key usage: " + certs.length);
expectError(function () { certs.find(4, "x"); }, 0x80004005, null, "find type 4");
certs.remove(1);
check(certs.length == 0, "removed from 1");
check(certs.getCertificate(0) === null, "empty collection gives null");

// An empty certificate.
var empty = new ActiveXObject("Quillion2.QNCertificate");
expectError(function () { empty.getSubjectName(); }, 0x80880210,
            "The Certificate object has not been initialized.", "empty certificate");
empty.import3(first.toBASE64());
check(empty.getSerialNumber() == serial, "import3");
expectError(function () { empty.import3("garbage"); }, 0x8009310B, null, "bad import");
expectError(function () { system.openSystemStore("MY", 7); }, 0x80070057, null, "store type");

var fresh = new ActiveXObject("Quillion2.QNCertificates");
expectError(function () { return fresh.length; }, 0x80004003, null, "unused collection length");

WScript.Echo(failures == 0 ? "OK" : failures + " failures");
