#!/usr/bin/env bash
# Builds everything and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
program=build/bin/korvel
if [ ! -x "$program" ]; then
    echo "The build did not produce $program." >&2
    exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Built $program, but there is no display to show it on (DISPLAY is not set)."
    exit 0
fi
[ -f build/bin/uae ] || echo "Note: put the key file 'uae' into $(pwd)/build/bin/ before encrypting."
exec "$program"
