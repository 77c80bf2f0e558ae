#!/usr/bin/env bash
# Builds everything and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
program=build/bin/korvel
if [ ! -x "$program" ]; then
    echo "Built the cipher; the program itself is not part of this checkout yet."
    exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Built $program, but there is no display to show it on (DISPLAY is not set)."
    exit 0
fi
[ -f build/bin/uae ] || echo "Note: put the key file 'uae' into $(pwd)/build/bin/ before encrypting."
exec "$program"
