#!/usr/bin/env bash
# Runs one editor script and compares what it prints with the expected output.
# usage: run_script_test.sh EDITOR SCRIPT EXPECTED [EDITOR OPTIONS...]
set -uo pipefail
editor=$1 script=$2 expected=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$here/../../scripts/with-display.sh" "$editor" --script "$script" "$@" >"$actual"
status=$?
if [ $status -ne 0 ]; then
    echo "editor exited with $status"
    cat "$actual"
    exit 1
fi
if ! diff -u "$expected" "$actual"; then
    echo "output of $(basename "$script") differs from $(basename "$expected")"
    exit 1
fi
