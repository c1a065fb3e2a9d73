#!/bin/sh
# run_script.sh QNSCRIPT MODULE SCRIPT EXPECTED_STATUS [ARGS...] [--stderr TEXT] [--registered]
# Runs SCRIPT with qnscript in a fresh TMPDIR / QUILLION_HOME. The module is loaded through
# QUILLION_MODULE, or, with --registered, found through a registry file written here.
# Expected status 0 also requires the script to print PASS as its last line.
set -u
qnscript=$1; module=$2; script=$3; expected=$4; shift 4
want_stderr=""; registered=0
set -- "$@"
args=""
while [ $# -gt 0 ]; do
    case "$1" in
        --stderr) want_stderr=$2; shift 2 ;;
        --registered) registered=1; shift ;;
        *) args="$args $1"; shift ;;
    esac
done
work=$(mktemp -d "${TMPDIR:-/tmp}/qnscript_test.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work" QUILLION_HOME="$work/home"
mkdir -p "$QUILLION_HOME"
if [ $registered -eq 1 ]; then
    unset QUILLION_MODULE
    clsid="{3A9F1C22-8B7E-4D10-A3C4-5E6F70819203}"
    cat > "$QUILLION_HOME/registry" <<REG
Windows Registry Editor Version 5.00

[HKEY_CLASSES_ROOT\\QuillionTest.TestObject]
@="TestObject Class"

[HKEY_CLASSES_ROOT\\QuillionTest.TestObject\\CLSID]
@="$clsid"

[HKEY_CLASSES_ROOT\\CLSID\\$clsid]
@="TestObject Class"

[HKEY_CLASSES_ROOT\\CLSID\\$clsid\\ProgID]
@="QuillionTest.TestObject.1"

[HKEY_CLASSES_ROOT\\CLSID\\$clsid\\InprocServer32]
@="$module"
"ThreadingModel"="both"
REG
else
    export QUILLION_MODULE="$module"
fi
# shellcheck disable=SC2086
"$qnscript" "$script" $args > "$work/out" 2> "$work/err"
status=$?
cat "$work/out"
cat "$work/err" >&2
if [ "$status" -ne "$expected" ]; then
    echo "run_script: exit status $status, expected $expected" >&2
    exit 1
fi
if [ -n "$want_stderr" ] && ! grep -qF -- "$want_stderr" "$work/err"; then
    echo "run_script: stderr lacks: $want_stderr" >&2
    exit 1
fi
if [ "$expected" -eq 0 ] && [ "$(tail -n 1 "$work/out")" != "PASS" ]; then
    echo "run_script: the script did not print PASS last" >&2
    exit 1
fi
exit 0
