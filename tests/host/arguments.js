// WScript basics without arguments.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }

check(WScript.Arguments.length === 0 && WScript.Arguments.Count() === 0, "no arguments");
var failed = false;
try { WScript.Arguments(0); } catch (e) { failed = e.number === -2146828279; }
check(failed, "a missing argument is out of range");
check(/\/arguments\.js$/.test(WScript.ScriptFullName), "ScriptFullName " + WScript.ScriptFullName);
check(WScript.ScriptFullName.charAt(0) === "/", "an absolute path");
check(WScript.ScriptName === "arguments.js", "ScriptName");
WScript.StdOut.Write("written ");
WScript.StdOut.WriteLine("by StdOut");
WScript.Echo("joined", 1, true, null);
WScript.Echo("PASS");
