#!/usr/bin/env bash
# Benchmark of the reference digester (run by hand, not by CTest) on a 20 MiB document
# (SIZE_MIB to change) with an enveloped-signature template, beside xmlsec1 --sign of the
# same template:
#  1. enveloped + C14N: xmlsec1 --sign (parse, digest, RSA signature, output) vs our parse
#     and our digest of the reference (target: within 1.2x of xmlsec1)
#  2. enveloped + XPath "not(ancestor-or-self::ds:Signature)" + C14N, the signer's reference,
#     ours only: xmlsec1 evaluates that XPath node by node over the namespace axes and had not
#     finished one 20 MiB document after 18 minutes. The XPath takes out only the signature the
#     enveloped transform already took out, so the digest must be the one of case 1.
#  3. peak RSS of each process (target for ours: within 6x of the document size)
# Each figure is the best of three runs. Our digests must equal the DigestValue xmlsec1 wrote.
# Usage: bench/xml/run.sh [BUILD_DIR]   (default: build-bench, a Release build)
set -euo pipefail
cd "$(dirname "$0")/../.."
here=$(pwd)/bench/xml
build=${1:-build-bench}
if [ ! -x "$build/bin/xml_digest_bench" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLION_TESTS=OFF
    cmake --build "$build" -j2 --target xml_digest_bench
fi
bench=$(cd "$build" && pwd)/bin/xml_digest_bench

work=$(mktemp -d "${TMPDIR:-/tmp}/q2xmlbench.XXXXXX")
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=bench" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null

size_mib=${SIZE_MIB:-20}
smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "== ${size_mib} MiB document ($(uptime | sed 's/.*load/load/'))"
# Ours: the best parse and digest times and peak RSS of three runs of the bench on $1.
ours() {
    parse="" digest="" ours_kib=""
    for _ in 1 2 3; do
        /usr/bin/time -f "%M" -o "$work/time" "$bench" "$1" > "$work/ours.txt"
        ours_kib=$(smaller "$(cat "$work/time")" "$ours_kib")
        parse=$(smaller "$(awk '/^parse/ { print $2 }' "$work/ours.txt")" "$parse")
        digest=$(smaller "$(awk '/^digest/ { print $4 }' "$work/ours.txt")" "$digest")
    done
    got=$(awk '/^digest/ { print $3 }' "$work/ours.txt")
    [ "$got" = "$expected" ] || { echo "digest $got differs from xmlsec1's $expected" >&2; exit 1; }
    total=$(awk -v a="$parse" -v b="$digest" 'BEGIN { print a + b }')
    printf "  our digest              %7.3f s   (%sx xmlsec1 --sign)\n" "$digest" \
        "$(ratio "$digest" "$theirs")"
    printf "  our parse + digest      %7.3f s   peak %7d KiB (%.1fx the document)\n" \
        "$total" "$ours_kib" "$(ratio $((ours_kib * 1024)) "$bytes")"
}

doc=$work/enveloped.xml
python3 "$here/MakeDocument.py" "$doc" "$size_mib"
bytes=$(stat -c %s "$doc")
theirs="" theirs_kib=""
for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$work/time" \
        xmlsec1 --sign --privkey-pem "$work/key.pem,$work/cert.pem" \
        --output "$work/signed.xml" "$doc"
    read -r seconds kib < "$work/time"
    theirs=$(smaller "$seconds" "$theirs")
    theirs_kib=$(smaller "$kib" "$theirs_kib")
done
expected=$(grep -o '<ds:DigestValue>[^<]*' "$work/signed.xml" | sed 's/.*>//')
echo "-- enveloped + C14N ($bytes bytes), digest $expected"
printf "  xmlsec1 --sign          %7.3f s   peak %7d KiB (%.1fx the document)\n" \
    "$theirs" "$theirs_kib" "$(ratio $((theirs_kib * 1024)) "$bytes")"
ours "$doc"

doc=$work/xpath.xml
python3 "$here/MakeDocument.py" "$doc" "$size_mib" xpath
echo "-- enveloped + XPath + C14N"
ours "$doc"
