#!/usr/bin/env bash
# Starts the installed program through its start-up script on a virtual X server as a user with
# an empty home, and waits until the settings window ("servis") shows. Without a vendor database
# the program first says that it works offline; that message is answered.
# Usage: settings_window.sh HOME START_SCRIPT
# Exit 0 when the window showed; otherwise the windows on the screen and the program's output
# go to standard error.
set -euo pipefail
home=$1
program=$2
mkdir -p "$home"
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
    HOME=$1 XDG_DATA_HOME= QT_QPA_PLATFORM=xcb "$2" >"$1/kvor.log" 2>&1 &
    program=$!
    found=
    for _ in $(seq 300); do
        found=$(xdotool search --onlyvisible --name "servis" 2>/dev/null || true)
        [ -n "$found" ] && break
        for box in $(xdotool search --onlyvisible --name "^Trivan05($| —)" 2>/dev/null); do
            xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
        done
        sleep 0.2
    done
    if [ -z "$found" ]; then
        echo "package: the installed program showed no settings window; windows on the screen:" >&2
        for window in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname "$window" >&2; done
        cat "$1/kvor.log" >&2
    fi
    kill $program 2>/dev/null || true
    wait $program 2>/dev/null || true
    [ -n "$found" ]
' _ "$home" "$program"
