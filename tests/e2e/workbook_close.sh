#!/usr/bin/env bash
# A close from the desktop while "Save Results As Excel File" writes a large workbook: the
# program ends within half a second, leaves no file (neither a half workbook nor a temporary
# one), keeps the workbook already there byte for byte, and starts no spreadsheet program.
# Usage: workbook_close.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" "$HOME/Documents" "$work/bin" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
source "$here/window_steps.sh"

SAVE_AS_EXCEL="928 250"
documents=$HOME/Documents

# The desktop knows no program for workbooks; the one on the PATH notes that it was started.
printf '#!/bin/sh\nexit 1\n' >"$work/bin/xdg-mime"
printf '#!/bin/sh\ntouch "%s"\n' "$work/started" >"$work/bin/soffice"
chmod +x "$work/bin/xdg-mime" "$work/bin/soffice"
export PATH=$work/bin:$PATH

echo "an earlier workbook" >"$documents/Bytemarsh results.xlsx"
cp "$documents/Bytemarsh results.xlsx" "$work/earlier.xlsx"
# One file under many names that compress slowly, so the workbook takes a while to write:
# each row reaches it through two of a thousand links, named at random, to its own folder.
# Lines end in CR LF: a last bare line feed would make one more, empty, row.
mkdir "$work/h"
echo "sized" >"$work/h/file.txt"
/usr/bin/python3 - "$work/h" "$work/list.txt" <<'PYTHON'
import os, secrets, sys
folder, listing = sys.argv[1:]
names = [secrets.token_hex(32) for _ in range(1000)]
for name in names:
    os.symlink(".", os.path.join(folder, name))
with open(listing, "w") as out:
    for i in range(600000):
        out.write(f"{folder}/{names[i % 1000]}/{names[i // 1000]}/file.txt\r\n")
PYTHON

"$program" --new-window &
pid=$!
await_window
load_list_file "$work/list.txt"
check_and_confirm
await_idle
# Only ticked rows go to the workbook: the results' menu ticks them all.
program_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
xdotool mousemove $FIRST_RESULT click 3
for _ in $(seq 400); do [ "$(program_windows)" -eq 2 ] && break; sleep 0.05; done
xdotool key Down Return
await_idle

# The workbook is under way once the program holds its unnamed file in the documents folder.
click $SAVE_AS_EXCEL
writing=
for _ in $(seq 1500); do
    if find "/proc/$pid/fd" -lname "$documents/#*" 2>/dev/null | grep -q .; then
        writing=1
        break
    fi
    sleep 0.02
done
[ -n "$writing" ] || fail "the workbook was never seen being written"

x11 close Bytemarsh
asked=$(date +%s%N)
while kill -0 "$pid" 2>/dev/null && [ $(($(date +%s%N) - asked)) -lt 5000000000 ]; do
    sleep 0.01
done
took=$((($(date +%s%N) - asked) / 1000000))
kill -0 "$pid" 2>/dev/null && fail "the program lived on 5 s after the close"
wait "$pid" || fail "the program ended with $?"
pid=
[ "$took" -le 500 ] || fail "the program ended ${took} ms after the close, not within 500 ms"
cmp -s "$documents/Bytemarsh results.xlsx" "$work/earlier.xlsx" ||
    fail "the earlier workbook changed"
left=$(ls -A "$documents")
[ "$left" = "Bytemarsh results.xlsx" ] || fail "the documents folder holds: $left"
[ -e "$work/started" ] && fail "the spreadsheet program was started after the close"
echo "closed during the workbook's save: ended in ${took} ms, nothing left, nothing started"
