// open.js IN OUT: opens the CMS envelope IN with the user's MY store, content written to OUT.
var system = new ActiveXObject("Quillion2.QNCryptoSystem");
system.setMode(3);
var envelope = new ActiveXObject("Quillion2.QNContent");
envelope.loadFileWithPath(WScript.Arguments.Item(0));
system.newEnvelopedData().decrypt(envelope).saveFile(WScript.Arguments.Item(1));
