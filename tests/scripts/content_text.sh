#!/usr/bin/env bash
source "$(dirname "$0")/harness.sh"
run_js content_text.js
grep -q "TRACE: CContent::setBASE64" "$WORK/QuillionCOM.log" || fail "no setBASE64 trace"
