#!/usr/bin/env bash
# Runs a command under the openbox window manager on the X display in $DISPLAY: starts openbox,
# waits until it manages the screen, runs the command and stops openbox again. The command's exit
# status is the script's. Usage: tools/under-openbox.sh <command> [arguments...]
set -uo pipefail

ready="$(mktemp -u)"
openbox --startup "touch $ready" >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
    [ -e "$ready" ] && break
    sleep 0.1
done
rm -f "$ready"
"$@"
status=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit "$status"
