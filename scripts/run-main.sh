#!/usr/bin/env bash
# The main job: installs the dependencies, builds Release in build-main and runs
# examples/content.js on a file (the first argument, or a sample made here): it loads the
# file into a QNContent and prints its Base64 and its SHA-256. Then, in a scratch
# QUILLION_HOME, it creates a demonstration PKI with qncert, lists the signing
# certificates through QNCryptoSystem.getCertificates, signs the file (detached CAdES) and
# verifies the signature with QNVerifier and with openssl cms. Last, the PDF path: a sample
# document signed in one call by QPASigner with a visible signature showing a JPEG picture,
# written to disk, loaded again and each signature's status printed; pdfsig and
# qpdf --check check the signed document.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake -S . -B build-main -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLION_TESTS=OFF \
      -DQUILLION_BENCH=OFF
cmake --build build-main -j2 --target qnscript quillion2 qncert

file=${1:-}
if [ -z "$file" ]; then
    file=build-main/sample.txt
    printf 'Quillion2: contenido de ejemplo.\n' > "$file"
fi
build-main/bin/qnscript examples/content.js "$file"
echo "Check: $(openssl dgst -sha256 -r "$file" | cut -d' ' -f1) (openssl dgst -sha256)"

export QUILLION_HOME
QUILLION_HOME=$(mktemp -d)
trap 'rm -rf "$QUILLION_HOME"' EXIT
build-main/bin/qncert demo
build-main/bin/qnscript examples/host/table.js
# The typical request: a detached CAdES signature of the file, checked by QNVerifier and by
# openssl cms against the demonstration root.
build-main/bin/qnscript examples/cades.js "$file" "$QUILLION_HOME/signature.der"
openssl x509 -inform DER -in "$(ls "$QUILLION_HOME"/stores/CurrentUser/ROOT/*.cer | head -1)" \
    -out "$QUILLION_HOME/root.pem"
openssl cms -verify -binary -inform DER -in "$QUILLION_HOME/signature.der" -content "$file" \
    -CAfile "$QUILLION_HOME/root.pem" -purpose any -out /dev/null

# The PDF path: a sample document and a JPEG picture (drawn by pdftoppm), signed by
# QPASigner with the demonstration signer, loaded again and each signature's status printed;
# then pdfsig (trusting the demonstration root in an NSS database of its own) and
# qpdf --check check the signed document.
python3 examples/sample_pdf.py document build-main/sample.pdf
python3 examples/sample_pdf.py picture "$QUILLION_HOME/picture.pdf"
pdftoppm -jpeg -r 72 -singlefile "$QUILLION_HOME/picture.pdf" build-main/sample-picture
build-main/bin/qnscript examples/pdf.js build-main/sample.pdf build-main/sample-picture.jpg \
    build-main/sample-signed.pdf
mkdir "$QUILLION_HOME/nss"
certutil -N -d "sql:$QUILLION_HOME/nss" --empty-password
certutil -A -d "sql:$QUILLION_HOME/nss" -n "Quillion2 Demo Root" -t "C,C,C" \
    -i "$QUILLION_HOME/root.pem"
pdfsig -nssdir "sql:$QUILLION_HOME/nss" build-main/sample-signed.pdf
qpdf --check build-main/sample-signed.pdf
