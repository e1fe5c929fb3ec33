#!/usr/bin/env bash
# Draws docs/progress-line.png again: the window under a virtual X server, checking 1,500 files
# on a slow disk (imitated), with the progress line over the results.
# Usage: tools/progress_line_screenshot.sh build/bytemarsh build/tests/libslow_stat.so
set -euo pipefail
program=$(realpath "$1")
slow_stat=$(realpath "$2")
repo=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
work=$(mktemp -d /tmp/shot.XXXXXX)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
export LC_ALL=C.UTF-8 LANG=en_US.UTF-8 ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0
source "$repo/tests/e2e/window_steps.sh"

files=$work/Photos
mkdir -p "$files"
for i in $(seq 1500); do truncate -s $((i * 4099)) "$files/IMG_$((4000 + i)).jpg"; done
LD_PRELOAD=$slow_stat BYTEMARSH_SLOW_PATHS=/Photos/IMG BYTEMARSH_SLOW_MS=60 "$program" "$files" &
pid=$!
await_window
await_idle
click $KILOBYTES
click $START_CHECKING
xdotool mousemove $BACKGROUND
sleep 4
x11 screenshot 1064 339 "$repo/docs/progress-line.png"
