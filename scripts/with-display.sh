#!/usr/bin/env bash
# Runs a command on the current display, or under an Xvfb of its own when there is none (or when
# GIZMARK_OWN_DISPLAY=1, as the test suite sets for every test that opens windows, so that tests
# never share a display nor take over a person's screen).
#
# The server picks a free display number itself (-displayfd) and reports it once it accepts
# connections, so any number of these can start at the same time without racing for a number.
# The command's exit status is this script's.
set -euo pipefail
if [ "${GIZMARK_OWN_DISPLAY:-0}" != 1 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$@"
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/gizmark-xvfb.XXXXXX")
server=
finish() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap finish EXIT
trap 'exit 143' TERM INT HUP

Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$dir/display" 2>"$dir/log" </dev/null &
server=$!
# The number arrives followed by a newline once the server is ready (at most 60 s on a busy
# machine before giving up).
for _ in $(seq 600); do
    [ "$(wc -l <"$dir/display")" -ge 1 ] && break
    if ! kill -0 "$server" 2>/dev/null; then
        echo "with-display.sh: Xvfb did not start:" >&2
        cat "$dir/log" >&2
        exit 1
    fi
    sleep 0.1
done
number=$(head -n1 "$dir/display")
if ! [[ "$number" =~ ^[0-9]+$ ]]; then
    echo "with-display.sh: Xvfb gave no display number within 60 s" >&2
    exit 1
fi
status=0
DISPLAY=":$number" "$@" || status=$?
exit "$status"
