// Failures become Errors with number, description and message.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }
function failure(f) {
    try { f(); } catch (e) { return e; }
    throw new Error("no error raised");
}

var o = new ActiveXObject("QuillionTest.TestObject");
var e = failure(function () { o.fail(-2147203503, "No se ha podido leer el fichero."); });
check(e instanceof Error, "an Error");
check(e.number === -2147203503, "number " + e.number);
check(e.description === "No se ha podido leer el fichero.", "description " + e.description);
check(e.message === e.description, "message " + e.message);

e = failure(function () { o.fail(-2147467259); });
check(e.number === -2147467259 && e.description === "Unspecified error", "no error info: " + e.description);

e = failure(function () { o.Item(20); });
check(e.number === -2147203497 && e.description === "Indice incorrecto.", "property get failure");

e = failure(function () { return o.nosuch; });
check(e.number === -2146827850, "unknown member " + e.number);
e = failure(function () { o.nosuch = 1; });
check(e.number === -2146827850, "unknown member put " + e.number);
e = failure(function () { o.concat("a"); });
check(e.number === -2147352562, "too few arguments " + e.number);
e = failure(function () { o.concat("a", "b", "c"); });
check(e.number === -2147352562, "too many arguments " + e.number);
e = failure(function () { o.count = "abc"; });
check(e.number === -2147352571, "type mismatch " + e.number);
e = failure(function () { o.count = 1e12; });
check(e.number === -2147352566, "overflow " + e.number);
e = failure(function () { new ActiveXObject("No.Such.Class"); });
check(e.number === -2146827859 && e.description === "Automation server can't create object",
      "creation failure " + e.number);
check(o.concat("still", "works") === "stillworks", "the object still works");
WScript.Echo("PASS");
