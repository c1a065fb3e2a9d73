#!/usr/bin/env bash
source "$(dirname "$0")/harness.sh"
run_js facade.js
log=$WORK/QuillionCOM.log
grep -q "INFO: MODE: 5" "$log" || fail "MODE line"
grep -q "INFO: Property: name=QN_MODE, value=2" "$log" || fail "Property line"
grep -q "ERROR: CryptoSystem::setProperty:: No se puede establecer esta propiedad" "$log" \
    || fail "refusal line"
grep -q "TRACE: CCollection::~CCollection: " "$log" || fail "collection destructor line"
