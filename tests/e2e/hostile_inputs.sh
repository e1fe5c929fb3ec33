#!/usr/bin/env bash
# Inputs a person may be handed, in the real window under a virtual X server: a list file of
# ten gigabytes of NULs without a line end (a sparse file), and a chain of folders 2,000 deep.
# The list loads in one box that says the line was left out, the rows after it stay, and a
# close during the load ends the program; the chain is scanned to its bottom.
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

# Starts a window of its own; a command before the program (env ...) may set it up.
start() {
    "${@:-$program}" --new-window &
    pid=$!
    await_window
}

echo data >"$work/after.txt"
truncate -s 10G "$work/nuls.txt"
printf '\r\n%s\r\n' "$work/after.txt" >>"$work/nuls.txt"

# 1. Loaded to its end: one box for the endless line, then the row after it.
start
open_list_file_dialog "$work/nuls.txt"
submit_and_see_busy
# The box comes once the whole file is read, which a build with sanitizers takes its time over.
for _ in $(seq 4800); do
    [ "$(windows_titled '^Bytemarsh$')" -eq 2 ] && break
    sleep 0.05
done
await_box_and_confirm
await_idle
[ "$(windows_titled '^Bytemarsh$')" -eq 1 ] || fail "more than one box for the list"
[ "$(results_of_a_check "$work/list-results.txt")" = "$work/after.txt" ] ||
    fail "the list gave: $(head -c 300 "$work/list-results.txt")"
close_window idle_after_list

# 2. Closed in the middle of the endless line.
start
open_list_file_dialog "$work/nuls.txt"
submit_and_see_busy
close_window list_load

# 3. A chain of folders 2,000 deep, a file in each.
folder=$work/chain
for _ in $(seq 2000); do
    mkdir "$folder"
    : >"$folder/f"
    folder=$folder/d
done
# Each folder of the chain opens 2 ms late, as on a slow disk, so that its scan lasts long enough
# to be seen in any build and a look cannot take a scan that has not begun for one that is done.
start env LD_PRELOAD="$slow_stat" BYTEMARSH_SLOW_FOLDERS=d BYTEMARSH_SLOW_MS=2 "$program"
add_folder_tree "$work/chain"
# The scan shows the busy pointer once the browser is gone; then the window is idle again.
xdotool mousemove $BACKGROUND
x11 wait-cursor CHANGE "$IDLE_POINTER" 60
await_idle
rows=$(results_of_a_check "$work/chain-results.txt" | grep -c '/f$' || true)
[ "$rows" -eq 2000 ] || fail "the chain gave $rows rows, not 2000"
close_window idle_after_chain

echo "a 10 GiB line: one box and the row after it, closable while it loads;" \
    "a 2,000-deep chain: every level's file"
