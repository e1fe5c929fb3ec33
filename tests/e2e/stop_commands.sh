#!/usr/bin/env bash
# Long commands watched and stopped as a person does it, under a real X server with a session
# bus and an accessibility bus of the test's own, on a slow disk:
# 1. a check of 1,500 rows: a screen reader reads "of 1,500" on the progress line; the taskbar
#    hears a progress between 0 and 1, and the bar go at the end; Esc stops the check and the
#    line says how far it got; no "Done." box comes; the results hold 1 to 1,499 rows, each with
#    its size; the window takes clicks again;
# 2. a folder scan, stopped by a click on the line's "Esc stops": the files of the folders read
#    before the stop stay, whole levels of the tree, and none come after;
# 3. a text export over an existing file, stopped: the file stays byte for byte and nothing is
#    left beside it.
# Usage: stop_commands.sh PROGRAM SLOW_STAT_LIBRARY
set -euo pipefail
program=$(realpath "$1")
slow_stat=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
source "$here/window_steps.sh"
begin_window_test
# The slow-disk library is not built with the sanitizers the program may carry.
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0
# Numbers grouped as an English reader expects them.
export LC_ALL=C.UTF-8 LANG=en_US.UTF-8

# The taskbar entry's signals go to the test's own session bus.
start_session_bus
dbus-monitor --session "type='signal',interface='com.canonical.Unity.LauncherEntry'" \
    >"$work/launcher.log" 2>&1 &

start() {
    "$@" &
    pid=$!
    await_window
}

# Presses Esc in the window over its busy pointer; returns once the pointer is idle again.
stop_with_esc() {
    xdotool mousemove $BACKGROUND
    [ "$(x11 cursor)" != "$IDLE_POINTER" ] || fail "$1: it had ended before Esc"
    local took
    took=$(x11 key-until-cursor Escape "$IDLE_POINTER" 30) || fail "$1: Esc did not stop it"
    echo "$1: Esc stopped it in $took ms"
}

# 1. A slow check of 1,500 rows: each stat waits 100 ms, so the check takes about ten seconds.
mkdir -p "$work/checked"
for i in $(seq 1500); do printf 'size %s' "$i" >"$work/checked/f$i"; done
start env LD_PRELOAD="$slow_stat" BYTEMARSH_SLOW_PATHS=/checked/ BYTEMARSH_SLOW_MS=100 \
    "$program" --new-window "$work/checked"
await_idle
press_and_see_busy $START_CHECKING
# Some rows done, of the whole list's count as an English reader groups it.
said=$(screen_reader progress "Checking [1-9][0-9,]* of 1,500" 30) ||
    fail "no screen reader heard the check's progress: $said"
echo "the screen reader heard: $said"
stop_with_esc check
said=$(screen_reader progress "^Stopped: [1-9][0-9,]* of 1,500 checked$" 3) ||
    fail "the line did not say the check stopped: $said"
sleep 1
[ "$(windows_titled '^Bytemarsh$')" -eq 1 ] || fail "a box came after the stopped check"
# A right click on the first row: the menu's first item ticks every row, which the copy takes.
program_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
xdotool mousemove $FIRST_RESULT click 3
for _ in $(seq 400); do [ "$(program_windows)" -eq 2 ] && break; sleep 0.05; done
xdotool key Down Return
await_idle
click $COPY_RESULTS
await_box_and_confirm # the copy's own box
await_idle
x11 clipboard | tr -d '\r' >"$work/copied.txt"
rows=$(grep -c . "$work/copied.txt" || true)
[ "$rows" -ge 1 ] && [ "$rows" -lt 1500 ] || fail "the stopped check left $rows results rows"
# Every row whole: its path and its size, the byte count of "size N".
awk -F'\t' '{ sub(/ +$/, "", $1); n = split($1, p, "/f")
               if ($2 != length("size " p[n]) " bytes") exit 1 }' \
    "$work/copied.txt" || fail "a row of the stopped check has no size: $(head -3 "$work/copied.txt")"
close_window check
# The taskbar heard a fraction on the way and, at the end, that the bar goes.
awk '/string "progress"$/ { getline; if ($3 > 0 && $3 < 1) seen = 1 }
     /string "progress-visible"/ { getline; last = $3 }
     END { exit !(seen && last == "false") }' "$work/launcher.log" ||
    fail "the taskbar entry heard: $(grep -A1 'string "progress' "$work/launcher.log" | tail -6)"
echo "stopped after $rows of 1500 rows, each with its size"

# 2. A folder scan of a chain of eight levels, each folder a while to open.
folder=$work/tree
for level in $(seq 8); do
    mkdir -p "$folder"
    echo "$level" >"$folder/a$level.txt"
    echo "$level" >"$folder/b$level.dat"
    folder=$folder/slow
done
start env LD_PRELOAD="$slow_stat" BYTEMARSH_SLOW_FOLDERS=slow BYTEMARSH_SLOW_MS=500 \
    "$program" --new-window
add_folder_tree "$work/tree"
# Once the line shows, a click on its underlined words, over the file list's foot.
point=
for _ in $(seq 100); do point=$(x11 underline 10 100 516 45 2>/dev/null) && break; sleep 0.02; done
[ -n "$point" ] || fail "no \"Esc stops\" to click over the file list"
xdotool mousemove $point click 1
xdotool mousemove $BACKGROUND
x11 wait-cursor SETTLE "$IDLE_POINTER" 10 || fail "a click on \"Esc stops\" did not stop the scan"
# Longer than the rest of the scan would take: nothing more may come.
sleep 4
found=$(results_of_a_check "$work/after-scan.txt")
levels=$(grep -c '/a[0-9]\.txt$' <<<"$found" || true)
expected=$(find "$work/tree" -type f | awk -v n="$levels" -F/ '{ l = gsub(/\/slow/, "&") + 1; if (l <= n) print }' |
    sort)
[ "$levels" -ge 1 ] && [ "$levels" -lt 8 ] || fail "the stopped scan kept $levels levels of 8"
[ "$(sort <<<"$found")" = "$expected" ] || fail "the stopped scan kept:
$found"
close_window scan
echo "the stopped scan kept the files of its first $levels levels"

# 3. A text export of 400,000 rows over an existing file, on a disk that writes slowly.
mkdir -p "$work/out"
echo one >"$work/one.txt"
awk -v path="$work/one.txt" 'BEGIN { for (i = 0; i < 400000; i++) printf "%s\r\n", path }' \
    >"$work/list.txt"
printf 'old results\r\n' >"$work/out/results.txt"
start env LD_PRELOAD="$slow_stat" BYTEMARSH_SLOW_WRITES=1 BYTEMARSH_SLOW_MS=300 \
    "$program" --new-window
load_list_file "$work/list.txt"
check_and_confirm
await_idle
save_results_as_text "$work/out/results.txt"
answer_yes_and_see_busy
sleep 0.8
stop_with_esc export
[ "$(cat "$work/out/results.txt")" = $'old results\r' ] || fail "the old results file changed"
[ "$(ls -A "$work/out")" = results.txt ] || fail "left beside the target: $(ls -A "$work/out")"
close_window export

echo "Esc stopped the check, the scan and the export; each left what it had done whole"
