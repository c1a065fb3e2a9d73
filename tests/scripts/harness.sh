# Sourced by every script test: a fresh temporary directory used as TMPDIR and
# QUILLION_HOME, and run_js to run a script with the test helpers prepended.
# Usage of a test: <test>.sh QNSCRIPT MODULE
set -euo pipefail
QNSCRIPT=$1
export QUILLION_MODULE=$2
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/q2script.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export TMPDIR=$WORK
export QUILLION_HOME=$WORK/home
mkdir -p "$QUILLION_HOME"
unset QUILLION_UI_ANSWERS

# run_js SCRIPT [ARGS...]: the script runs with lib.js before it; its output is on stdout.
run_js() {
    local script=$1
    shift
    cat "$HERE/lib.js" "$HERE/$script" > "$WORK/$(basename "$script")"
    "$QNSCRIPT" "$WORK/$(basename "$script")" "$@"
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
