#!/usr/bin/env bash
# Which clicks a long command lets in, under a real X server and a slow disk. During a size
# check the input is held: a click on the results' "Clear List", on "Kilobytes (Kb)" and a
# double-click on a file-list row change nothing. During a folder scan, which waits on its
# folder readers, the same clicks get in: the results list is emptied, the unit is stored, the
# double-click removes no row as the window is busy, and the scan still adds every file.
# Usage: input_rules.sh PROGRAM SLOW_STAT_LIBRARY
set -euo pipefail
program=$(realpath "$1")
slow_stat=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
# The slow-disk library is not built with the sanitizers the program may carry.
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0
source "$here/window_steps.sh"

FIRST_FILE="100 33"
settings=$XDG_CONFIG_HOME/Quillory/Bytemarsh.ini

start() {
    "$@" &
    pid=$!
    await_window
}

# The command still runs: the window's background keeps a pointer other than the idle one.
still_busy() {
    xdotool mousemove $BACKGROUND
    x11 wait-cursor AWAY "$IDLE_POINTER" 10 >/dev/null 2>&1 || fail "$1"
}

clicks_of_a_person() {
    click $CLEAR_RESULTS
    click $KILOBYTES
    xdotool mousemove $FIRST_FILE click --repeat 2 1
}

unit_stored() { grep -qx "Option2=True" "$settings" 2>/dev/null; }

mkdir -p "$work/checked" "$work/two"
for i in $(seq 600); do echo "$i" >"$work/checked/f$i"; done
echo one >"$work/two/one.txt"
echo two >"$work/two/two.txt"
# A chain of folders, each on a "disk" that takes a second to open it for reading: the scan
# cannot read a level before the one above, so it lasts about as many seconds as there are.
folder=$work/tree
for level in $(seq 8); do
    mkdir -p "$folder"
    echo "$level" >"$folder/a$level.txt"
    echo "$level" >"$folder/b$level.dat"
    folder=$folder/slow
done

# 1. A slow check: every stat of a row waits on the disk. Its 600 rows stay.
start env LD_PRELOAD="$slow_stat" BYTEMARSH_SLOW_PATHS=/checked/ BYTEMARSH_SLOW_MS=100 \
    "$program" --new-window "$work/checked"
await_idle
press_and_see_busy $START_CHECKING
clicks_of_a_person
still_busy "the check ended before the clicks reached the window"
await_box_and_confirm # "Done."
save_results_as_text "$work/after-check.txt"
await_idle
rows=$(wc -l <"$work/after-check.txt")
[ "$rows" -eq 600 ] || fail "the check left $rows results rows, not 600"
unit_stored && fail "a click on Kilobytes during the check was stored"
close_window check

# 2. A folder scan of the slow chain, with two results rows and two files before it.
start env LD_PRELOAD="$slow_stat" BYTEMARSH_SLOW_FOLDERS=slow BYTEMARSH_SLOW_MS=1000 \
    "$program" --new-window "$work/two/one.txt" "$work/two/two.txt"
check_and_confirm
await_idle
add_folder_tree "$work/tree"
xdotool mousemove $BACKGROUND
x11 wait-cursor CHANGE "$IDLE_POINTER" 30
clicks_of_a_person
# The unit reaches the settings file while the scan still runs.
for _ in $(seq 600); do
    unit_stored && break
    sleep 0.05
done
unit_stored || fail "a click on Kilobytes during the scan was not stored"
still_busy "the scan ended before the clicks reached the window"
await_idle
# The results list was emptied: the check that follows holds the file list's rows once each.
expected=$( (printf '%s\n' "$work/two/one.txt" "$work/two/two.txt"; find "$work/tree" -type f) |
    sort)
actual=$(results_of_a_check "$work/after-scan.txt" | sort)
[ "$actual" = "$expected" ] || fail "after the scan the results differed from every file once, the
double-clicked one.txt kept (< missing, > extra):
$(diff <(echo "$expected") <(echo "$actual") | grep '^[<>]')"

# The same double-click on an idle window removes the row: it did reach the file list's first row.
click $CLEAR_RESULTS
xdotool mousemove $FIRST_FILE click --repeat 2 1
actual=$(results_of_a_check "$work/after-double-click.txt" | sort)
[ "$actual" = "$(grep -vx "$work/two/one.txt" <<<"$expected")" ] ||
    fail "an idle double-click on the first file left: $actual"
close_window idle

echo "during a check the clicks changed nothing; during a scan of $(find "$work/tree" -name slow |
    wc -l) slow folders they emptied the results and stored the unit, and no file was lost"
