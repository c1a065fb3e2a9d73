// verify.js DOCUMENT: verifies every signature of an XML document; fails unless all hold.
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
system.setMode(2);
var doc = new ActiveXObject("Quillion2.QNContent");
doc.loadFileWithPath(WScript.Arguments.Item(0));
var verifier = system.newVerifier();
var result = verifier.verify(doc, null, 0);
if (result != 1) {
    throw new Error("verify gave " + result + ": " + verifier.getStatus(0).errorDescription);
}
