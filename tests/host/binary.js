// Binary strings: every length 0..300 (odd ones and zero bytes included) goes into a binary
// property and comes back unchanged, byte by byte.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }

var o = new ActiveXObject("QuillionTest.TestObject");
for (var n = 0; n <= 300; n++) {
    var s = "";
    for (var i = 0; i < n; i++) {
        s += String.fromCharCode((i * 7 + n) & 255);
    }
    o.data = s;
    check(o.byteLength(s) === n, "byte length " + n);
    var back = o.data;
    check(back.length === n, "length back " + n + " got " + back.length);
    for (var k = 0; k < n; k++) {
        if (back.charCodeAt(k) !== ((k * 7 + n) & 255)) {
            throw new Error("byte " + k + " of " + n + " is " + back.charCodeAt(k));
        }
    }
    o.data = back; // a binary result goes back into a binary parameter unchanged
    check(o.data === s, "second round trip " + n);
}
o.data = "\u0000\u0000\u00ff";
check(o.data === "\u0000\u0000\u00ff", "zero bytes and 0xff");
var failed = false;
try {
    o.data = "\u0100";
} catch (e) {
    failed = true;
    check(e.number === -2146828275, "type mismatch number " + e.number);
}
check(failed, "a character above 255 is refused for bytes");
WScript.Echo("PASS");
