// Text BSTRs map UTF-16 <-> JavaScript strings exactly.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }

var o = new ActiveXObject("QuillionTest.TestObject");
var s = o.concat("\u00f1\u20ac", "\ud83d\ude00");
check(s === "\u00f1\u20ac\ud83d\ude00", "BMP and a surrogate pair");
check(s.length === 4 && s.charCodeAt(2) === 0xD83D && s.charCodeAt(3) === 0xDE00, "units");
check(o.concat("\ud800", "") === "\ud800", "a lone surrogate");
var z = o.concat("a\u0000b", "");
check(z.length === 3 && z.charCodeAt(1) === 0, "an embedded U+0000");
check(o.concat("\u00e9t\u00e9", "") === "été", "source text in UTF-8");
WScript.Echo("PASS");
