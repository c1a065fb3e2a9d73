#!/usr/bin/env bash
# getHash equals openssl dgst and toBASE64 equals base64 -w0, on random files of many lengths.
source "$(dirname "$0")/harness.sh"
files=()
for n in 0 1 2 3 4 5 63 64 65 255 1000 4095 4096 4097 65536 100001 3145727 3145728 3145729; do
    head -c "$n" /dev/urandom > "$WORK/r$n.bin"
    files+=("$WORK/r$n.bin")
done
run_js content_digests.js "${files[@]}" > "$WORK/out.txt"
mapfile -t out < "$WORK/out.txt"
[ "${#out[@]}" -eq $((2 * ${#files[@]})) ] || { cat "$WORK/out.txt"; fail "output lines"; }
for i in "${!files[@]}"; do
    f=${files[$i]}
    expected="$f $(openssl dgst -sha256 -r "$f" | cut -d' ' -f1) $(openssl dgst -sha1 -r "$f" | cut -d' ' -f1) $(openssl dgst -md5 -r "$f" | cut -d' ' -f1)"
    [ "${out[$((2 * i))]}" = "$expected" ] || fail "digests of $f: ${out[$((2 * i))]}"
    [ "${out[$((2 * i + 1))]}" = "$(base64 -w0 "$f")" ] || fail "Base64 of $f"
done
grep -q "ERROR: Algoritmo MD2 no soportado" "$WORK/QuillionCOM.log" || fail "MD2 line"
grep -q "ERROR: Algoritmo MD4 no soportado" "$WORK/QuillionCOM.log" || fail "MD4 line"
