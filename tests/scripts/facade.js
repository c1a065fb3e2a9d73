// QNCollection and QNCryptoSystem (mode, settings, version) as a script uses them.
var list = new ActiveXObject("Quillion2.QNCollection");
equal(list.Count, 0, "new collection");
fails(function () { list.Item(0); }, QN_E_BAD_INDEX, "Indice incorrecto.", "Item(0)");
fails(function () { list.Item(-1); }, QN_E_BAD_INDEX, "Indice incorrecto.", "Item(-1)");

var cs = new ActiveXObject("Quillion2.QNCryptoSystem.1");
var other = new ActiveXObject("Quillion2.QNCryptoSystem");
equal(cs.getVersion(), "5.6.0.8", "getVersion");
cs.setMode(5);
cs.setMode(42);
cs.setProperty("QN_MODE", "2");
fails(function () { cs.setProperty("XADES_1_3_2_SIGNEDPROPERTIES_NAMESPACE", "x"); }, E_FAIL,
      undefined, "refused property");
fails(function () { cs.setInitProperty("", "x"); }, E_FAIL, undefined, "empty init property");
fails(function () { cs.setInitProperty("HashAlgorithm", "x"); }, E_FAIL, undefined,
      "other init property");
cs.setInitProperty("XADES_1_3_2_NAMESPACE", "1.3.2");
cs.addTrustEntity("CN=ACME.*");
cs.addRestriction("Subject|O", "ACME");
cs.clearRestrictionsAndTrustEntities();

// A setting made through one QNCryptoSystem is read by work started from another.
other.setProperty("HashAlgorithm", "1.3.14.3.2.26");
var c = new ActiveXObject("Quillion2.QNContent");
c.contentString = "abc";
equal(c.getHash(), "a9993e364706816aba3e25717850c26c9cd0d89d", "SHA-1 via shared settings");
cs.setProperty("HashAlgorithm", "2.16.840.1.101.3.4.2.1");
equal(c.getHash(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
      "SHA-256");
done();
