#!/usr/bin/env bash
# The shared library itself: only the four entry points are exported, the version note is
# 5.6.0.8, and DllRegisterServer / DllUnregisterServer / DllCanUnloadNow called through the
# C ABI write and remove the registry entries.
source "$(dirname "$0")/harness.sh"
exports=$(nm -D --defined-only "$QUILLION_MODULE" | awk '$2 == "T" { print $3 }' | sort | tr '\n' ' ')
[ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ] \
    || fail "exports: $exports"
readelf -n "$QUILLION_MODULE" | grep "Quillion" > /dev/null || fail "no version note"
# A sanitized build needs its runtimes first in the interpreter; python's own leaks are not ours.
preload=""
# grep reads all of ldd's output: with -q it can stop early, ldd then dies of SIGPIPE and
# pipefail turns the pipeline false at random.
if ldd "$QUILLION_MODULE" | grep libasan > /dev/null; then
    preload="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libubsan.so)"
fi
LD_PRELOAD=$preload ASAN_OPTIONS=detect_leaks=0 \
    python3 - "$QUILLION_MODULE" "$QUILLION_HOME/registry" <<'END' || fail "registration"
import ctypes, sys
module = ctypes.CDLL(sys.argv[1])
for f in (module.DllRegisterServer, module.DllUnregisterServer, module.DllCanUnloadNow):
    f.restype = ctypes.c_int32
assert module.DllCanUnloadNow() == 0, "DllCanUnloadNow"
assert module.DllRegisterServer() == 0, "first registration"
assert module.DllRegisterServer() == 0, "second registration"
text = open(sys.argv[2], encoding="utf-8").read()
key = "[HKEY_CLASSES_ROOT\\CLSID\\{FA716EF6-BB7F-4F50-BE8B-1695477BD4A2}]"
assert text.count(key) == 1, "one class key"
assert text.count("\\InprocServer32]") == 13, "13 InprocServer32 keys"
assert '@="' + sys.argv[1] + '"' in text, "module path"
pdf = "[HKEY_CLASSES_ROOT\\CLSID\\{177E723D-5472-4488-B759-0F4320FF6E13}\\Implemented Categories"
assert pdf not in text, "PdfSign is not safe for scripting"
assert text.count("Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}]") == 12
assert module.DllUnregisterServer() == 0, "unregistration"
text = open(sys.argv[2], encoding="utf-8").read()
assert "Quillion2." not in text, "ProgIDs left"
assert "[HKEY_CLASSES_ROOT\\CLSID]" in text, "the CLSID key stays"
END

# Opened by a relative name, the module still registers its full path.
module_dir=$(cd "$(dirname "$QUILLION_MODULE")" && pwd -P)
module_name=$(basename "$QUILLION_MODULE")
(cd "$module_dir" && LD_PRELOAD=$preload ASAN_OPTIONS=detect_leaks=0 \
    python3 - "./$module_name" "$QUILLION_HOME/registry" "$module_dir/$module_name" <<'END') \
    || fail "registration by a relative name"
import ctypes, sys
module = ctypes.CDLL(sys.argv[1])
module.DllRegisterServer.restype = ctypes.c_int32
assert module.DllRegisterServer() == 0, "registration"
text = open(sys.argv[2], encoding="utf-8").read()
assert '@="' + sys.argv[3] + '"' in text, "full module path"
assert '@="./' not in text, "relative module path"
END
