// Objects as arguments and results (VT_DISPATCH both ways).
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }

var a = new ActiveXObject("QuillionTest.TestObject");
var b = new ActiveXObject("QuillionTest.TestObject");
a.count = 5;
check(b.countOf(a) === 5, "a wrapped object goes back as VT_DISPATCH");
check(b.countOfRef(a) === 5, "and as an [in] reference to an interface");
check(b.countOf(null) === -1, "null is a null object");
var s = a.self();
check(s.count === 5, "an object result is wrapped");
s.count = 9;
check(a.count === 9, "it is the same object");
var failed = false;
try { b.countOf({}); } catch (e) { failed = e.number === -2146828275; }
check(failed, "a plain script object is a type mismatch");
for (var i = 0; i < 2000; i++) {
    new ActiveXObject("QuillionTest.TestObject").self().count = i;
}
WScript.Echo("PASS");
