#!/usr/bin/env bash
# Later starts of the real program under a virtual X server: one without paths opens a window of
# its own; one with paths hands them to the open window, also while it runs a slow check (they
# go in after it) and while it shows a box at start-up; one whose window hangs opens its own
# window with the paths within two seconds, and the hung window never adds them.
# Usage: second_start.sh PROGRAM SLOW_STAT_LIBRARY
set -euo pipefail
program=$(realpath "$1")
slow_stat=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
work=$(mktemp -d)
pids=()
trap '[ ${#pids[@]} -eq 0 ] || { kill -CONT "${pids[@]}"; kill "${pids[@]}"; } 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0
source "$here/window_steps.sh"

mkdir -p "$work/slow"
for i in $(seq 150); do echo "$i" >"$work/slow/f$i"; done
echo later >"$work/later.txt"
# A name that is not UTF-8 (Latin-1 "café"), as older file systems and archives hold.
latin=$work/caf$'\xe9'.txt
echo latin >"$latin"
echo other >"$work/other.txt"

start() {
    "$@" &
    pids+=($!)
}
stop_all() {
    kill -CONT "${pids[@]}" 2>/dev/null || true
    kill "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    pids=()
    await_windows 0 '^Bytemarsh$'
}
results_hold() { # RESULTS_FILE PATH COUNT
    [ "$(grep -c -F -x "$2"$'\r' "$1" || true)" -eq "$3" ] ||
        fail "$(basename "$1") holds $2 $(grep -c -F -x "$2"$'\r' "$1" || true) times, not $3"
}

# 1. A start without paths opens a second window.
start "$program"
await_window
start "$program"
await_windows 2 '^Bytemarsh$'
stop_all

# 2. A start with paths while the window runs a slow check: it ends at once, its path goes in
# after the check.
start env LD_PRELOAD="$slow_stat" BYTEMARSH_SLOW_PATHS=/slow/ "$program" "$work/slow"
await_window
await_idle
press_and_see_busy $START_CHECKING
timeout 10 "$program" "$work/later.txt" || fail "the later start ended with $?"
await_box_and_confirm # "Done."
save_results_as_text "$work/during-check.txt"
await_idle
[ "$(wc -l <"$work/during-check.txt")" -eq 150 ] || fail "the check did not keep to its 150 rows"
click $CLEAR_RESULTS
check_and_save_results "$work/after-check.txt"
[ "$(tail -n 1 "$work/after-check.txt")" = "$work/later.txt"$'\r' ] ||
    fail "the handed-over path did not follow the check's rows"
results_hold "$work/after-check.txt" "$work/later.txt" 1
stop_all

# 3. A window that shows a box at start-up takes paths all the same; they go in once it is up.
mkdir -p "$XDG_CONFIG_HOME/Quillory"
printf '[Bytemarsh]\nOption1=not a truth value\n' >"$XDG_CONFIG_HOME/Quillory/Bytemarsh.ini"
start "$program"
await_windows 1 '^Application Error'
timeout 10 "$program" "$work/later.txt" "$latin" || fail "the start during start-up ended with $?"
xdotool key Return
await_window
check_and_save_results "$work/after-start-up.txt"
results_hold "$work/after-start-up.txt" "$work/later.txt" 1
results_hold "$work/after-start-up.txt" "$latin" 1
stop_all

# 4. A hung window: the later start opens its own window with the path within two seconds, and
# the hung window, once it runs again, does not add the path.
start "$program"
await_window
first=${pids[0]}
kill -STOP "$first"
began=$(date +%s%N)
start "$program" "$work/other.txt"
second=${pids[1]}
await_windows 2 '^Bytemarsh$'
waited=$(( ($(date +%s%N) - began) / 1000000 ))
[ "$waited" -lt 2000 ] || fail "the later start took $waited ms to open its own window"
# The newer window lies on top; its file list holds the path.
await_idle
MAIN_WINDOWS=2
check_and_save_results "$work/own-window.txt"
MAIN_WINDOWS=1
results_hold "$work/own-window.txt" "$work/other.txt" 1
kill "$second"
wait "$second" 2>/dev/null || true
await_windows 1 '^Bytemarsh$'
kill -CONT "$first"
check_and_save_results "$work/hung-window.txt"
results_hold "$work/hung-window.txt" "$work/other.txt" 0
stop_all

echo "a start without paths opened a window; paths went to the window during a check and a" \
    "start-up box; a hung window's start opened its own window in ${waited} ms"
