#!/usr/bin/env bash
# The results' context menu in the real program under a virtual X server, as a person uses it:
# a right click and Shift+F10 open it, the arrow keys and Return choose. Sorted largest first
# (the failed read last), every row ticked and copied, the total shown, a path copied.
set -euo pipefail
program=$1
if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

source "$here/window_steps.sh"

SECOND_RESULT="700 81"

# The program's windows on screen: the main window, and a menu or a box while one is open.
program_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
await_program_windows() {
    for _ in $(seq 400); do
        [ "$(program_windows)" -eq "$1" ] && return 0
        sleep 0.05
    done
    fail "expected $1 windows of the program, saw $(program_windows)"
}
# Chooses the menu's item that $1 presses of the Down key reach, once the menu is open, and
# waits for the menu to go, unless the item opens a box ($2 = box), which takes its place.
choose_item() {
    await_program_windows 2
    for _ in $(seq "$1"); do xdotool key Down; done
    xdotool key Return
    [ "${2:-}" = box ] && return
    await_program_windows 1
    await_idle # the item's command has run: keys meanwhile would be held back
}

files=$work/files
mkdir -p "$files"
head -c 300 /dev/zero >"$files/small.bin"
head -c 5000 /dev/zero >"$files/big.bin"
head -c 2000 /dev/zero >"$files/mid.bin"
: >"$files/gone.bin"

"$program" "$files/small.bin" "$files/gone.bin" "$files/big.bin" "$files/mid.bin" &
pid=$!
await_window
rm "$files/gone.bin"
click $START_CHECKING
await_windows 1 '^Application Error$' # the file that went
xdotool key Return
await_box_and_confirm # "Done."
await_idle

# A right click on the first row: the fourth item sorts by size, largest first.
xdotool mousemove $FIRST_RESULT click 3
choose_item 4 # Tick All, Untick All, Invert Ticks, Sort by Size, Largest First
# Shift+F10 from the list: the first item ticks every row.
xdotool key shift+F10
choose_item 1
click $COPY_RESULTS
answer_box Return
copied=$(x11 clipboard | cut -f1 | tr -d ' \r')
expected=$(printf '%s\n' "$files/big.bin" "$files/mid.bin" "$files/small.bin" "$files/gone.bin")
[ "$copied" = "$expected" ] || fail "the ticked rows were copied as:
$copied"

# Back in the list, on the second row: "Total…" opens a box; "Copy Path" copies that row's path.
click $SECOND_RESULT
xdotool key shift+F10
choose_item 7 box
answer_box Return
xdotool key shift+F10
choose_item 9
[ "$(x11 clipboard)" = "$files/mid.bin" ] || fail "Copy Path gave: $(x11 clipboard)"

/usr/bin/python3 "$here/x11_window.py" close Bytemarsh
wait "$pid"
echo "sorted, ticked, copied, totalled and copied a path through the results' menu"
