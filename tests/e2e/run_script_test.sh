#!/usr/bin/env bash
# Runs one editor script and compares what it prints with the expected output.
# usage: run_script_test.sh EDITOR SCRIPT EXPECTED [EDITOR OPTIONS...]
set -uo pipefail
editor=$1 script=$2 expected=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
# These runs compare output; under the sanitizers they keep every check but the leak check at
# exit, whose tracer can itself crash while the toolkit's threads live ("Tracer caught signal
# 11"). The editor's code is leak-checked by the in-process GUI tests and the soak.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# A script whose run is meant to end on an error says so with a line "# status: N" (the exit
# code); the error's message on standard error ("script:LINE: message") is then compared too,
# after the output (other lines there, the toolkit's or the display's, are not).
want=$(sed -n 's/^# status: \([0-9]*\)$/\1/p' "$script" | head -n 1)
if [ -n "$want" ]; then
    "$here/../../scripts/with-display.sh" "$editor" --script "$script" "$@" >"$actual" 2>"$actual.err"
    status=$?
    grep '^script:' "$actual.err" >>"$actual"
    [ $status -eq "$want" ] || cat "$actual.err"
    rm -f "$actual.err"
else
    want=0
    "$here/../../scripts/with-display.sh" "$editor" --script "$script" "$@" >"$actual"
    status=$?
fi
if [ $status -ne "$want" ]; then
    echo "editor exited with $status, not $want"
    cat "$actual"
    exit 1
fi
if ! diff -u "$expected" "$actual"; then
    echo "output of $(basename "$script") differs from $(basename "$expected")"
    exit 1
fi
