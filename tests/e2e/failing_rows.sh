#!/usr/bin/env bash
# A check whose rows fail, as a person meets it under a real X server, read by a screen reader:
# 30 rows of which 20 are missing. The first error box names the first missing path behind
# "Show Details..." and offers no check box; the second offers "Report no more errors of this
# run", which a click ticks; then no more error boxes come, only "Done." with the count of the
# 18 reports not shown; every row still reaches the results.
# Usage: failing_rows.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
source "$here/window_steps.sh"
begin_window_test
export LC_ALL=C.UTF-8 LANG=en_US.UTF-8
start_session_bus

# Waits until the error box shows a line that the regular expression $1 matches; prints what the
# box shows.
await_error_box_with() {
    local shown=
    for _ in $(seq 200); do
        shown=$(screen_reader box 'Application Error' 10) && grep -qx -- "$1" <<<"$shown" &&
            { echo "$shown"; return 0; }
        sleep 0.05
    done
    echo "FAIL: no error box showed '$1'; the last showed:"
    echo "$shown"
    return 1
}
press_in_error_box() { xdotool mousemove $(screen_reader where 'Application Error' "$1" 10) click 1; }

# Every third row exists; the list file names the rows in order.
mkdir -p "$work/files"
missing=()
for i in $(seq 30); do
    if [ $((i % 3)) -eq 0 ]; then printf 'row %s' "$i" >"$work/files/f$i"; else missing+=("$work/files/f$i"); fi
    printf '%s\r\n' "$work/files/f$i" >>"$work/list.txt"
done

"$program" --new-window &
pid=$!
await_window
load_list_file "$work/list.txt"
click $START_CHECKING

# 1. The first report: its details, once shown, name the first missing path.
await_windows 1 '^Application Error$'
press_in_error_box 'Show Details...'
first=$(await_error_box_with "${missing[0]}")
! grep -q '^\[.\] ' <<<"$first" || fail "the first box offers a check box:
$first"
press_in_error_box OK
# 2. The second report is the standard one and offers to report no more, which a click ticks.
second=$(await_error_box_with '\[ \] Report no more errors of this run')
grep -q '^File not found$' <<<"$second" || fail "the second box is not the standard report:
$second"
press_in_error_box 'Report no more errors of this run'
await_error_box_with '\[x\] Report no more errors of this run' >/dev/null
press_in_error_box OK

# 3. No more error boxes: the next box is "Done.", with the count of the reports not shown.
MAIN_WINDOWS=1
await_windows 2 '^Bytemarsh$'
[ "$(windows_titled '^Application Error$')" -eq 0 ] || fail "a third error box came"
done_box=$(screen_reader box Bytemarsh 10)
[ "$done_box" = $'Done.\n\n18 more error reports of this run were not shown.' ] ||
    fail "the closing box said:
$done_box"
await_box_and_confirm
[ "$(windows_titled '^Application Error$')" -eq 0 ] || fail "an error box came after Done."
await_idle

# Every row went on to the results, as if OK had been pressed each time.
save_results_as_text "$work/results.txt"
await_idle
cmp -s "$work/list.txt" "$work/results.txt" || fail "the results are not the 30 rows:
$(head -5 "$work/results.txt")"
close_window check
echo "two error boxes, then Done. with 18 reports not shown"
