#!/usr/bin/env bash
# The properties file of the temporary directory configures the log and the settings.
source "$(dirname "$0")/harness.sh"
printf 'LogLevel=LOG_NONE\nHashAlgorithm=1.3.14.3.2.26\n' > "$WORK/QuillionCOM.properties"
cat > "$WORK/p.js" <<'END'
var c = new ActiveXObject("Quillion2.QNContent");
c.contentString = "abc";
WScript.Echo(c.getHash());
END
[ "$("$QNSCRIPT" "$WORK/p.js")" = "a9993e364706816aba3e25717850c26c9cd0d89d" ] || fail "hash"
[ "$(grep -c . "$WORK/QuillionCOM.log")" -eq 5 ] || { cat "$WORK/QuillionCOM.log"; fail "log"; }
grep -q "^#End-Date: " "$WORK/QuillionCOM.log" || fail "footer"
