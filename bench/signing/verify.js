// verify.js FILE SIGNATURE: verifies the detached signature against FILE; prints the
// milliseconds of verify and fails unless the one signer is valid.
var cs = new ActiveXObject("Quillion2.QNCryptoSystem");
var content = new ActiveXObject("Quillion2.QNContent");
content.loadFileWithPath(WScript.Arguments.Item(0));
var signature = new ActiveXObject("Quillion2.QNContent");
signature.loadFileWithPath(WScript.Arguments.Item(1));
var verifier = cs.newVerifier();
var t0 = new Date().getTime();
var result = verifier.verify(signature, content, 1);
var t1 = new Date().getTime();
if (result !== 1 || verifier.getStatus(0).idError !== 0) {
    WScript.Echo("not valid: " + verifier.getStatus(0).errorDescription);
    WScript.Quit(1);
}
WScript.Echo("verify " + (t1 - t0));
