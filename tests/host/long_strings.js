// Long strings across the ASCII runs of the conversions: a non-ASCII character (or byte) at
// the start, at the end and after 7, 8, 9, 16 and 63 ASCII characters, surrogate pairs and
// lone surrogates, both as text and as binary strings.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }
function ascii(n) {
    var s = "";
    for (var i = 0; i < n; i++) s += String.fromCharCode(32 + (i % 95));
    return s;
}
function sameUnits(a, b, what) {
    check(a.length === b.length, what + ": length " + a.length + " vs " + b.length);
    for (var i = 0; i < a.length; i++) {
        if (a.charCodeAt(i) !== b.charCodeAt(i)) {
            throw new Error(what + ": unit " + i + " is " + a.charCodeAt(i) + ", not " +
                            b.charCodeAt(i));
        }
    }
}

var o = new ActiveXObject("QuillionTest.TestObject");
var texts = ["\u00e9", "\u07ff", "\u0800", "\u20ac", "\uffff", "\ud83d\ude00", "\ud800",
             "\udc00", "\udc00\ud800", "\u0000", "\u007f", "\u0080"];
var runs = [0, 1, 7, 8, 9, 15, 16, 17, 63, 64, 65, 200];
for (var t = 0; t < texts.length; t++) {
    for (var r = 0; r < runs.length; r++) {
        var head = ascii(runs[r]);
        var cases = [texts[t] + head, head + texts[t], head + texts[t] + head,
                     head + texts[t] + ascii(3) + texts[t] + head];
        for (var c = 0; c < cases.length; c++) {
            var what = "text " + t + " after " + runs[r] + " case " + c;
            sameUnits(o.concat(cases[c], ""), cases[c], what);
            sameUnits(o.concat(cases[c], cases[c]), cases[c] + cases[c], what + " twice");
        }
    }
}
var longAscii = ascii(100000);
check(o.concat(longAscii, "\u20ac") === longAscii + "\u20ac", "100000 ASCII then a euro");

// Binary strings: bytes 0x80..0xFF placed the same ways, and long mixed runs.
var bytes = [0x80, 0xbf, 0xc0, 0xc3, 0xff, 0x00, 0x7f];
for (var b = 0; b < bytes.length; b++) {
    for (var r = 0; r < runs.length; r++) {
        var head = ascii(runs[r]);
        var ch = String.fromCharCode(bytes[b]);
        var cases = [ch + head, head + ch, head + ch + head, ch + ch + head + ch + ch];
        for (var c = 0; c < cases.length; c++) {
            var what = "byte " + bytes[b] + " after " + runs[r] + " case " + c;
            o.data = cases[c];
            check(o.byteLength(cases[c]) === cases[c].length, what + " byte length");
            sameUnits(o.data, cases[c], what);
        }
    }
}
var mixed = "";
for (var i = 0; i < 70000; i++) {
    mixed += String.fromCharCode((i % 300) < 150 ? (i * 13) & 127 : (i * 31) & 255);
}
o.data = mixed;
sameUnits(o.data, mixed, "70000 mixed bytes");

// A character above 255 is refused wherever it stands.
for (var r = 0; r < runs.length; r++) {
    var head = ascii(runs[r]);
    var bad = [head + "\u0100", "\u00ff" + head + "\u0100" + head, head + "\ud800",
               head + "\u00e9\u20ac"];
    for (var c = 0; c < bad.length; c++) {
        var failed = false;
        try {
            o.data = bad[c];
        } catch (e) {
            failed = e.number === -2146828275;
        }
        check(failed, "type mismatch after " + runs[r] + " case " + c);
    }
}
WScript.Echo("PASS");
