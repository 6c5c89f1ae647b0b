#!/usr/bin/env bash
# Runs a command on the current display, or under its own Xvfb when there is none.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1600x1200x24 -nolisten tcp" "$@"
