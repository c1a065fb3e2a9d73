#!/usr/bin/env bash
# The main job: installs the dependencies, builds Release in build-main and runs
# examples/content.js on a file (the first argument, or a sample made here): it loads the
# file into a QNContent and prints its Base64 and its SHA-256. Then, in a scratch
# QUILLION_HOME, it creates a demonstration PKI with qncert, lists the signing
# certificates through QNCryptoSystem.getCertificates, signs the file (detached CAdES) and
# verifies the signature with QNVerifier and with openssl cms.
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
