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

# LogMaxSize caps the log of the process: one WARNING line says so, and nothing follows it.
printf 'LogLevel=LOG_ALL\nLogMaxSize=2K\nHashAlgorithm=1.3.14.3.2.26\n' > "$WORK/QuillionCOM.properties"
cat > "$WORK/many.js" <<'END'
for (var i = 0; i < 200; i++) {
    var c = new ActiveXObject("Quillion2.QNContent");
    c.contentString = "abc" + i;
    c.getHash();
}
WScript.Echo("done");
END
[ "$("$QNSCRIPT" "$WORK/many.js")" = "done" ] || fail "many"
size=$(stat -c %s "$WORK/QuillionCOM.log")
[ "$size" -le 2300 ] || fail "log of $size bytes past LogMaxSize"
tail -n 1 "$WORK/QuillionCOM.log" | grep -q "WARNING: Se ha alcanzado el tamaño máximo del log (LogMaxSize=2048): no se escriben más líneas." \
    || { tail -n 3 "$WORK/QuillionCOM.log"; fail "size notice"; }

# A LogPath that names a file which is not a log leaves it untouched.
printf 'keep these lines\nas they are\n' > "$WORK/notes.txt"
printf 'LogPath=%s\nHashAlgorithm=1.3.14.3.2.26\n' "$WORK/notes.txt" > "$WORK/QuillionCOM.properties"
[ "$("$QNSCRIPT" "$WORK/p.js")" = "a9993e364706816aba3e25717850c26c9cd0d89d" ] || fail "hash 2"
[ "$(cat "$WORK/notes.txt")" = "$(printf 'keep these lines\nas they are')" ] || fail "notes.txt changed"
