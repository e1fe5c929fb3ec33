#!/usr/bin/env bash
# Draws docs/results-menu.png again: the window under a virtual X server, a few files checked
# in kilobytes, two of them ticked, and the results' menu open by a right click.
# Usage: tools/results_menu_screenshot.sh build/bytemarsh
set -euo pipefail
program=$(realpath "$1")
repo=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
work=$(mktemp -d /tmp/shot.XXXXXX)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
source "$repo/tests/e2e/window_steps.sh"

files=$work/Documents
mkdir -p "$files/Scans"
truncate -s 734003 "$files/holiday.jpg"
truncate -s 18874368 "$files/talk.mp4"
truncate -s 2048 "$files/notes.txt"
truncate -s 90112 "$files/Scans/report 2.pdf"
truncate -s 1572864 "$files/Scans/report 10.pdf"

"$program" "$files" &
pid=$!
await_window
click $KILOBYTES
check_and_confirm
await_idle
xdotool mousemove 547 81 click 1 # the second and fourth rows' ticks
xdotool mousemove 547 109 click 1
xdotool mousemove 700 95 click 3
sleep 1
import -window root -crop 1064x339+0+0 +repage "$repo/docs/results-menu.png"
