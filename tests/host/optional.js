// Optional arguments are passed as missing; VARIANT arguments keep their type.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }

var o = new ActiveXObject("QuillionTest.TestObject");
check(o.describe() === "missing", "an omitted VARIANT is VT_ERROR / DISP_E_PARAMNOTFOUND");
check(o.describe(5) === "vt=3:5", "integer " + o.describe(5));
check(o.describe(1.5) === "vt=5:1.5", "double " + o.describe(1.5));
check(o.describe("x") === "vt=8:x", "string");
check(o.describe(true) === "vt=11:-1", "boolean");
check(o.describe(null) === "vt=1", "null");
check(o.describe(undefined) === "vt=0:", "undefined is VT_EMPTY");
check(o.title() === "(none)", "an omitted BSTR reaches the member as null");
check(o.title("T") === "T", "a given optional BSTR");
check(o.lastResultWanted === true, "the host always asks for the result");
WScript.Echo("PASS");
