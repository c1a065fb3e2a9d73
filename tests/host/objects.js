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
var hostile = new Proxy({}, {
    get: function () { throw new Error("trap"); },
    has: function () { throw new Error("trap"); }
});
failed = false;
try { b.countOf(hostile); } catch (e) { failed = e.number === -2146828275; }
check(failed, "a script Proxy whose traps throw is a type mismatch");
failed = false;
try { b.describe([hostile, 1]); } catch (e) { failed = e.number === -2146828275; }
check(failed, "also inside an array");
var getterArray = [1, 2];
Object.defineProperty(getterArray, 1, { get: function () { throw new Error("getter"); } });
failed = false;
try { b.describe(getterArray); } catch (e) { failed = true; }
check(failed, "an array element whose getter throws");
var lengthTrap = new Proxy([1, 2], { get: function () { throw new Error("length"); } });
failed = false;
try { b.describe(lengthTrap); } catch (e) { failed = e.number === -2146828275; }
check(failed, "an array Proxy whose length trap throws is a type mismatch");
for (var i = 0; i < 2000; i++) {
    new ActiveXObject("QuillionTest.TestObject").self().count = i;
}
WScript.Echo("PASS");
