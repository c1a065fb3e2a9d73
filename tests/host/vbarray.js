// A 2-D SAFEARRAY result through VBArray.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }

var o = new ActiveXObject("QuillionTest.TestObject");
var m = o.matrix(3, 2);
var a = new VBArray(m);
check(a.dimensions() === 2, "dimensions");
check(a.lbound() === 0 && a.lbound(1) === 0 && a.lbound(2) === 0, "lower bounds");
check(a.ubound(1) === 2 && a.ubound(2) === 1, "upper bounds");
check(a.getItem(0, 0) === "0,0" && a.getItem(2, 1) === "2,1" && a.getItem(1, 0) === "1,0",
      "getItem(row, column)");
var flat = a.toArray();
check(flat.join("|") === "0,0|1,0|2,0|0,1|1,1|2,1", "toArray in JScript order: " + flat.join("|"));
var again = new VBArray(m);
check(again.getItem(2, 0) === "2,0", "the same value makes another VBArray");
var empty = new VBArray(o.matrix(0, 2));
check(empty.ubound(1) === -1 && empty.ubound(2) === 1 && empty.toArray().length === 0,
      "an empty 0 x 2 table");
var threw = 0;
try { a.getItem(3, 0); } catch (e) { threw++; check(e.number === -2146828279, "subscript " + e.number); }
try { a.getItem(0); } catch (e) { threw++; }
try { a.ubound(3); } catch (e) { threw++; }
try { new VBArray("not an array"); } catch (e) { threw++; }
check(threw === 4, "bad subscripts and values are refused: " + threw);
check(o.describe(m) === "vt=8204", "the array goes back as VT_ARRAY | VT_VARIANT");
check(o.describe([1, "b"]) === "vt=8204", "a JavaScript array goes as VT_ARRAY | VT_VARIANT");
WScript.Echo("PASS");
