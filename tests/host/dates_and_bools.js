// VT_DATE <-> Date and VT_BOOL <-> boolean.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }

var o = new ActiveXObject("QuillionTest.TestObject");
var d = new Date(2024, 1, 28, 13, 45, 30, 123);
var n = o.nextDay(d);
check(n instanceof Date, "a VT_DATE result is a Date");
check(n.getFullYear() === 2024 && n.getMonth() === 1 && n.getDate() === 29, "next day " + n);
check(n.getHours() === 13 && n.getMinutes() === 45 && n.getSeconds() === 30, "time kept " + n);
check(n.getMilliseconds() === 123, "milliseconds kept " + n.getMilliseconds());
var old = o.nextDay(new Date(1899, 11, 29, 6, 0, 0));
check(old.getFullYear() === 1899 && old.getMonth() === 11 && old.getDate() === 30 &&
      old.getHours() === 6, "a date before the OLE epoch " + old);
check(o.nextDay("2024-03-01 10:00:00").getDate() === 2, "text coerced to a date");
check(o.negate(true) === false && o.negate(false) === true, "booleans");
check(typeof o.negate(0) === "boolean" && o.negate(0) === true, "a number coerced to VT_BOOL");
WScript.Echo("PASS");
