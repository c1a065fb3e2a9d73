// Helpers shared by the script tests.
var failures = 0;
function check(condition, what) {
    if (!condition) {
        failures++;
        WScript.Echo("FAIL: " + what);
    }
}
function equal(actual, expected, what) {
    check(actual === expected, what + ": got [" + actual + "], expected [" + expected + "]");
}
// Runs fn, which must throw the error number (an unsigned HRESULT) and description given.
function fails(fn, number, description, what) {
    try {
        fn();
    } catch (e) {
        equal(e.number, number | 0, what + " (number)");
        if (description !== undefined) {
            equal(e.description, description, what + " (description)");
        }
        return;
    }
    check(false, what + ": no error");
}
function done() {
    if (failures > 0) {
        WScript.Echo(failures + " failure(s)");
        WScript.Quit(1);
    }
    WScript.Echo("OK");
    WScript.Quit(0);
}
// The bytes of a binary string as hexadecimal.
function hex(binary) {
    var text = "";
    for (var i = 0; i < binary.length; i++) {
        var b = binary.charCodeAt(i);
        text += (b < 16 ? "0" : "") + b.toString(16);
    }
    return text;
}
var QN_E_READ = 0x80044651, QN_E_WRITE = 0x80044652, QN_E_DIALOG_CANCELLED = 0x80044653;
var QN_E_BAD_INDEX = 0x80044657, DISP_E_EXCEPTION = 0x80020009, E_FAIL = 0x80004005;
