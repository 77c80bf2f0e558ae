#!/usr/bin/env bash
# Runs a test program on its own virtual X display under the openbox window manager, where windows
# get real frames. Exits 77 (skipped) when Xvfb, openbox or xdotool is missing.
set -euo pipefail
for tool in Xvfb openbox xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb=$!
openbox_pid=
cleanup() {
    [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -f "$display_file"
}
trap cleanup EXIT

for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$display_file")"

openbox --sm-disable >/dev/null 2>&1 &
openbox_pid=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

QT_QPA_PLATFORM=xcb "$@"
