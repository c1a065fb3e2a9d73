// A result longer than a script string can be (2^31 - 1 bytes) fails the call with
// E_OUTOFMEMORY, as the component's own too-long results do, and the script goes on; a long
// one below the limit arrives whole.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }
var o = new ActiveXObject("QuillionTest.TestObject");
var failed = null;
try {
    o.zeros(2048);
} catch (e) {
    failed = e;
}
check(failed !== null, "a 2 GiB binary string was handed over");
check(failed.number === -2147024882, "number " + (failed && failed.number));
var small = o.zeros(1);
check(small.length === 1048576, "1 MiB of zeros: " + small.length);
check(small.charCodeAt(0) === 0 && small.charCodeAt(1048575) === 0, "zeros");
WScript.Echo("PASS");
