#!/usr/bin/env bash
source "$(dirname "$0")/harness.sh"
printf '\x00\xff\x01\x02\xff' > "$WORK/odd.bin"
printf 'hola' > "$WORK/text.txt"
mkfifo "$WORK/fifo"
cat > "$WORK/answers" <<END
open=$WORK/text.txt
open=cancel
open=$WORK/odd.bin
open=$WORK/text.txt
save=$WORK/saved.txt
save=cancel
END
export QUILLION_UI_ANSWERS=$WORK/answers
run_js content_files.js "$WORK"
cmp "$WORK/odd.bin" "$WORK/copy.bin" || fail "saveFile changed the bytes"
[ ! -e "$WORK/nul.bin" ] || fail "saveFile wrote the file a NUL cut the path to"
[ "$(cat "$WORK/saved.txt")" = "untouched" ] || fail "saveFileWithDialog content"
log=$WORK/QuillionCOM.log
grep -q "INFO: El usuario canceló" "$log" || fail "no cancel line"
grep -q "TRACE: Volcando datos en $WORK/saved.txt" "$log" || fail "no save trace"
grep -q "TRACE: Tamaño: 9" "$log" || fail "no size trace"
grep -q "TRACE: Cargados: 5 bytes" "$log" || fail "no load trace"
