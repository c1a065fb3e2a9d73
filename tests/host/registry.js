// The class is found through the registry file and its module loaded from InprocServer32.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }

var o = new ActiveXObject("QuillionTest.TestObject");
check(o.concat("from ", "registry") === "from registry", "created through the registry");
var failed = false;
try { new ActiveXObject("QuillionTest.TestObject.1"); } catch (e) { failed = true; }
check(!failed, "once loaded, the module's own table answers the versioned ProgID");
WScript.Echo("PASS");
