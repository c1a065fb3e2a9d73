// Verifies the messages verify.sh wrote; prints OK when every check holds.
var dir = WScript.Arguments.Item(0);
function load(name) {
    var c = new ActiveXObject("Quillion2.QNContent");
    c.loadFileWithPath(dir + "/" + name);
    return c;
}
var NTE_BAD_SIGNATURE = 0x80090006, QN_E_VERIFIER_NOT_INITIALIZED = 0x80044664;
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
system.setMode(3);

// Attached CMS: one valid signer, its certificate and the content.
var verifier = system.newVerifier();
var attached = load("attached.der");
equal(verifier.verify(attached, null, 0), 1, "attached result");
var status = verifier.getStatus(0);
equal(status.idError, 0, "attached idError");
equal(status.errorDescription, "No hay ningun error", "attached description");
equal(status.level, 0, "attached level");
equal(status.signerCertificate.getSubjectName(), "CN=JUAN FIRMA, O=ACME, C=ES", "signer subject");
equal(verifier.getStatus(1), null, "no second status");
equal(verifier.getContent().contentString, "Hola, mundo firmado", "content");
equal(verifier.isDetached(attached), 0, "attached is not detached");

// BER as openssl streams it.
var ber = system.newVerifier();
equal(ber.verify(load("ber.der"), null, 0), 1, "BER result");
equal(ber.getContent().contentString, "Hola, mundo firmado", "BER content");

// Detached, with and without its content.
var detached = load("detached.der");
var signedContent = load("content.txt");
var d = system.newVerifier();
equal(d.isDetached(detached), 1, "detached is detached");
equal(d.verify(detached, signedContent, 1), 1, "detached result");
equal(d.getStatus(0).idError, 0, "detached idError");
var alone = system.newVerifier();
equal(alone.verify(detached, null, 0), 0, "detached without content");

// A changed byte.
var t = system.newVerifier();
equal(t.verify(load("tampered.der"), null, 0), 0, "tampered result");
equal(t.getStatus(0).idError, NTE_BAD_SIGNATURE | 0, "tampered idError");
equal(t.getStatus(0).errorDescription, "Firma inválida", "tampered description");

// Not a message at all.
fails(function () { system.newVerifier().verify(load("noise.bin"), null, 0); }, 0x8009310B,
      undefined, "noise");

// Created by ProgID, without the facade.
var bare = new ActiveXObject("Quillion2.QNVerifier");
var notInitialized =
    "Verifier was not initialized correctly. Use QNCryptoSystem object for create a verifier";
fails(function () { bare.getStatus(0); }, QN_E_VERIFIER_NOT_INITIALIZED, notInitialized,
      "bare getStatus");
fails(function () { bare.verify(attached, null, 0); }, QN_E_VERIFIER_NOT_INITIALIZED,
      notInitialized, "bare verify");
fails(function () { bare.getContent(); }, QN_E_VERIFIER_NOT_INITIALIZED, notInitialized,
      "bare getContent");

// A status made by a script is a plain property bag.
var own = new ActiveXObject("Quillion2.QNVerifyStatus");
own.idError = -107;
own.errorDescription = "descripción propia";
own.level = 3;
equal(own.idError, -107, "own idError");
equal(own.errorDescription, "descripción propia", "own description");
equal(own.level, 3, "own level");
equal(own.signerCertificate, null, "own certificate");
done();
