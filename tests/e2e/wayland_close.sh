#!/usr/bin/env bash
# A close on Wayland: the program runs natively under weston, with no X display of its own, and
# its window's close button ends it in the middle of a slow size check. Weston runs on its X11
# backend inside a virtual X server, which gives it a seat, so the pointer reaches the window as
# a person's would (the headless backend has no seat, and no weston shell sends a close itself).
# Usage: wayland_close.sh PROGRAM SLOW_STAT_LIBRARY
set -euo pipefail
program=$(realpath "$1")
slow_stat=$(realpath "$2")
skip() { echo "SKIPPED: $*"; exit 77; }
command -v weston >/dev/null || skip "weston is not installed"
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland*.so" >/dev/null ||
    skip "Qt's Wayland plugin (qt6-wayland) is not installed"
if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" "$work/slow" && chmod 700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0
fail() { echo "FAIL: $*"; exit 1; }
for i in $(seq 600); do echo "$i" >"$work/slow/f$i"; done

weston --backend=x11-backend.so --use-pixman --socket=bytemarsh-test --width=1200 \
    --height=560 --idle-time=0 >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/bytemarsh-test" ] && break; sleep 0.05; done
[ -S "$XDG_RUNTIME_DIR/bytemarsh-test" ] || { cat "$work/weston.log"; fail "weston did not start"; }
# Weston takes the pointer's first move as its starting point; one to the corner lines the two
# up.
xdotool mousemove 300 300
xdotool mousemove 0 0

# Each of the 600 reads waits 150 ms: with 16 readers the check lasts over 5 s, so a loaded
# machine's slow looks at the screen still close it in the middle.
env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=bytemarsh-test LD_PRELOAD="$slow_stat" \
    BYTEMARSH_SLOW_PATHS=/slow/ BYTEMARSH_SLOW_MS=150 "$program" --new-window "$work/slow" &
program_pid=$!
pids+=("$program_pid")

# Reads the screen (xwd) and answers one question about it, in python:
#   bar             the title bar, a long run of one grey: its left and right ends and its top
#   dark X Y W H    whether the rectangle holds dark pixels (text)
screen() {
    xwd -root -silent | /usr/bin/python3 -c '
import struct, sys
data = sys.stdin.buffer.read()
header = struct.unpack(">25I", data[:100])
size, width, height, bpl, colours = header[0], header[4], header[5], header[12], header[19]
pixels = data[size + 12 * colours:]
def rgb(x, y):
    at = y * bpl + 4 * x
    b, g, r = pixels[at], pixels[at + 1], pixels[at + 2]
    return r, g, b
if sys.argv[1] == "bar":
    for y in range(height):
        run = 0
        for x in range(width):
            run = run + 1 if rgb(x, y) == (239, 239, 239) else 0
            if run >= 1000:
                end = x
                while end + 1 < width and rgb(end + 1, y) == (239, 239, 239):
                    end += 1
                print(x - run + 1, end, y)
                sys.exit(0)
    sys.exit(1)
x0, y0, w, h = map(int, sys.argv[2:6])
dark = sum(1 for y in range(y0, y0 + h) for x in range(x0, x0 + w) if sum(rgb(x, y)) < 200)
sys.exit(0 if dark > 10 else 1)' "$@"
}
bar=
for _ in $(seq 100); do bar=$(screen bar) && break; sleep 0.1; done
[ -n "$bar" ] || fail "the window never showed under weston"
read -r left right top <<<"$bar"
kill -0 "$program_pid" || fail "the program ended before the close"

click_at() { xdotool mousemove "$1" "$2" click 1; }
# True once the results list shows text in its first row: the check runs, and repaints.
results_shown() { screen dark $((left + 4 + 560)) $((top + 30 + 62)) 140 14; }

# The window's client area starts below the title bar; Start Checking sits at (795, 21) in it.
click_at $((left + 4 + 795)) $((top + 30 + 21))
for _ in $(seq 100); do results_shown && break; sleep 0.05; done
results_shown || fail "no results row showed during the check"
# The close button: the title bar's last glyph.
click_at $((right - 16)) $((top + 13))
for _ in $(seq 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$program_pid" 2>/dev/null; then
    fail "the program lived on after the close (a close lost in the check, or held back by its box)"
fi
wait "$program_pid" || fail "the program ended with $?"
echo "on Wayland, the close button ended the program in the middle of a slow check"
