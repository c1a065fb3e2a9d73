// getCertificates over the MY store prepared by store.sh; prints OK when every check holds.
var failures = 0;
function check(cond, what) {
    if (!cond) {
        WScript.Echo("FAIL: " + what);
        failures++;
    }
}
function rows(v) {
    var a = new VBArray(v);
    return a.ubound(1) + 1;
}
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
var certs = system.openSystemStore("MY", 2).getCertificates();

var all = new VBArray(system.getCertificates(certs, 0, "ALL", 0, "Subject|CN", ""));
check(all.ubound(1) == 2 && all.ubound(2) == 1, "3 x 2");
check(all.getItem(0, 0) == "0" && all.getItem(1, 0) == "1" && all.getItem(2, 0) == "2",
      "positions");
check(all.getItem(0, 1) == "JUAN FIRMA" && all.getItem(2, 1) == "AC (Pruebas)", "values");
check(rows(system.getCertificates(certs, 0, "PRI", 0, "Subject|CN", "")) == 2, "PRI");
check(rows(system.getCertificates(certs, 0, "PUB", 0, "Subject|CN", "")) == 1, "PUB");
check(rows(system.getCertificates(certs, 0, "pri", 0, "Subject|CN", "")) == 0, "pri");
check(rows(system.getCertificates(certs, 0, "ALL", 0, "Subject|L", "")) == 0, "empty field");
var serials = new VBArray(system.getCertificates(certs, 0, "ALL", 0, "Subject", "SERIALNUMBER"));
check(serials.ubound(1) == 0 && serials.getItem(0, 1) == "12345678Z", "field part");
check(rows(system.getCertificates(certs, 1, "ALL", 0, "Subject|CN", "")) == 0,
      "no trust entity");

// Trust entities (issuer, parentheses literal) and restrictions.
system.addTrustEntity("CN=AC (Pruebas), O=ACME, C=ES");
var trusted = new VBArray(system.getCertificates(certs, 1, "ALL", 1, "Subject|CN", ""));
check(trusted.ubound(1) == 2, "trusted: all three are issued by the CA");
// The lists apply to one listing only.
check(rows(system.getCertificates(certs, 1, "ALL", 0, "Subject|CN", "")) == 0, "lists emptied");

system.addTrustEntity("CN=AC(Pruebas),O=ACME,C=ES");
system.addRestriction("Extension|2.5.29.15$$$Subject|SERIALNUMBER", "nonRepudiation$$$Z$");
var signing = new VBArray(system.getCertificates(certs, 1, "PRI", 1, "Subject|CN", ""));
check(signing.ubound(1) == 0 && signing.getItem(0, 1) == "JUAN FIRMA", "restricted to signer");

// Two entities both matching, only the first one's restriction holds: the last decides.
system.addTrustEntity("CN=AC (Pruebas), O=ACME, C=ES");
system.addTrustEntity("CN=AC(Pruebas), O=ACME, C=ES");
system.addRestriction("Subject|CN", "FIRMA");
system.addRestriction("Subject|CN", "NADIE");
check(rows(system.getCertificates(certs, 1, "ALL", 0, "Subject|CN", "")) == 0, "last entity");
system.addTrustEntity("CN=AC (Pruebas), O=ACME, C=ES");
system.addTrustEntity("CN=AC(Pruebas), O=ACME, C=ES");
system.addRestriction("Subject|CN", "NADIE");
system.addRestriction("Subject|CN", "FIRMA");
var last = new VBArray(system.getCertificates(certs, 1, "ALL", 0, "Subject|CN", ""));
check(last.ubound(1) == 0 && last.getItem(0, 1) == "JUAN FIRMA", "last entity decides");

WScript.Echo(failures == 0 ? "OK" : failures + " failures");
