#!/usr/bin/env bash
# Long commands under a real X server: a close from the window manager ends the program during
# a warm size check, a slow one, a list-file load and a text export, leaving no temporary file
# and the old target whole; while a check runs, a drop is refused and a click on the results'
# "Clear List" does nothing, then and afterwards; the same drop is taken once it has ended.
# Usage: long_commands.sh PROGRAM SLOW_STAT_LIBRARY [TIMINGS_FILE]
# TIMINGS_FILE, when given, receives one "case seconds" line per close (for the benchmark).
set -euo pipefail
program=$(realpath "$1")
slow_stat=$(realpath "$2")
timings=${3:-/dev/null}
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

mkdir -p "$work/warm" "$work/slow" "$work/dropped/sub" "$work/out"
echo data >"$work/warm/file.txt"
for i in $(seq 600); do echo "$i" >"$work/slow/f$i"; done
echo one >"$work/dropped/one.txt"
echo two >"$work/dropped/sub/two.txt"
# CR LF endings: a bare LF at the end would give one more, empty, row.
lines() { awk -v path="$1" -v n="$2" 'BEGIN { ORS = "\r\n"; for (i = 0; i < n; i++) print path }'; }
lines "$work/warm/file.txt" 1000000 >"$work/million.txt"
lines "$work/warm/file.txt" 4000000 >"$work/four-million.txt"

start() {
    "$@" &
    pid=$!
    await_window
}

# Sends the window manager's close and waits for the program to end; records how long it took.
close_and_time() {
    local name=$1 began ended
    began=$(date +%s.%N)
    /usr/bin/python3 "$here/x11_window.py" close Bytemarsh
    for _ in $(seq 500); do kill -0 "$pid" 2>/dev/null || break; sleep 0.01; done
    ended=$(date +%s.%N)
    kill -0 "$pid" 2>/dev/null && fail "$name: the program lived on after the close"
    wait "$pid" || fail "$name: the program ended with $?"
    pid=
    awk -v name="$name" -v began="$began" -v ended="$ended" \
        'BEGIN { printf "%s %.3f\n", name, ended - began }' >>"$timings"
}

# 1. A warm check of a million rows: it never waits on a worker, yet hears the close.
start "$program" --new-window
load_list_file "$work/million.txt"
press_and_see_busy $START_CHECKING
close_and_time warm_check

# 2. A slow check: every stat waits on the "disk".
start env LD_PRELOAD="$slow_stat" BYTEMARSH_SLOW_PATHS=/slow/ "$program" --new-window "$work/slow"
await_idle
press_and_see_busy $START_CHECKING
close_and_time slow_check

# 3. A list file of four million lines, closed while it loads.
start "$program" --new-window
open_list_file_dialog "$work/four-million.txt"
submit_and_see_busy
close_and_time list_load

# 4. A text export over an existing file, closed while it writes to a slow disk: the old file
# stays whole and nothing is left beside it.
printf 'old results\r\n' >"$work/out/results.txt"
start env LD_PRELOAD="$slow_stat" BYTEMARSH_SLOW_WRITES=1 "$program" --new-window
load_list_file "$work/million.txt"
check_and_confirm
save_results_as_text "$work/out/results.txt"
answer_yes_and_see_busy
close_and_time text_export
[ "$(cat "$work/out/results.txt")" = $'old results\r' ] || fail "the old results file changed"
[ "$(ls -A "$work/out")" = results.txt ] || fail "left beside the target: $(ls -A "$work/out")"

# 5. During a slow check a drop is refused and a click on the results' Clear List does nothing;
# the check still sizes every row. Afterwards the same drop is taken.
start env LD_PRELOAD="$slow_stat" BYTEMARSH_SLOW_PATHS=/slow/ "$program" --new-window "$work/slow"
await_idle
press_and_see_busy $START_CHECKING
answer=$(/usr/bin/python3 "$here/x11_window.py" drop Bytemarsh $FILE_LIST "$work/dropped")
[ "$answer" = refused ] || fail "a drop during the check was $answer"
click $CLEAR_RESULTS
await_box_and_confirm # "Done."
save_results_as_text "$work/after-check.txt"
await_idle
[ "$(wc -l <"$work/after-check.txt")" -eq 600 ] ||
    fail "the check left $(wc -l <"$work/after-check.txt") results rows, not 600"
grep -q dropped "$work/after-check.txt" && fail "the refused drop's files were checked"
answer=$(/usr/bin/python3 "$here/x11_window.py" drop Bytemarsh $FILE_LIST "$work/dropped")
[ "$answer" = accepted ] || fail "the drop after the check was $answer"
click $CLEAR_RESULTS
check_and_confirm
save_results_as_text "$work/after-drop.txt"
await_idle
[ "$(grep -c dropped "$work/after-drop.txt")" -eq 2 ] || fail "the drop afterwards added no files"
close_and_time idle

echo "a close ended the warm check, the slow check, the list load and the text export;" \
    "a drop and a click during a check changed nothing"
