// Methods, properties, case-insensitive names, coercion of arguments.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }

var o = new ActiveXObject("QuillionTest.TestObject");
check(o.concat("ab", "cd") === "abcd", "concat");
check(typeof o.concat === "function", "a method reads as a function");
check(o.count === 0, "count starts at 0");
o.count = 42;
check(o.count === 42, "property put then get");
o.COUNT = 5;
check(o.Count === 5, "names are case-insensitive");
o.count = "17";
check(o.count === 17, "a numeric string is coerced to VT_I4");
o.count = 2.5;
check(o.count === 2, "2.5 rounds to even");
o.count = 3.5;
check(o.count === 4, "3.5 rounds to even");
check(o.size === 4294967295, "an unsigned 32-bit result");
check(o.Item(3) === "item3", "a property with a parameter is called like a method");
check(("count" in o) && !("nosuch" in o), "the in operator asks GetIDsOfNames");
var versioned = new ActiveXObject("QuillionTest.TestObject.1");
check(versioned.concat("x", 1) === "x1", "versioned ProgID; a number coerced to text");
check(WScript.CreateObject("QuillionTest.TestObject").concat("w", "s") === "ws",
      "WScript.CreateObject");
WScript.Echo("PASS");
