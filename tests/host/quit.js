// WScript.Arguments with arguments, and WScript.Quit ending the script with its code even
// when the script catches it.
function check(ok, what) { if (!ok) throw new Error("check failed: " + what); }

check(WScript.Arguments.length === 2, "two arguments");
check(WScript.Arguments(0) === "first" && WScript.Arguments.Item(1) === "second", "values");
try {
    WScript.Quit(7);
} catch (e) {
}
WScript.Echo("still running");
throw new Error("the script went on after Quit");
