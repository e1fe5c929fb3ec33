#!/usr/bin/env bash
# A first use of the real program as a person makes it, under a virtual X server: load the
# sample files (declining to open their folder), choose kilobytes, start checking, confirm
# "Done.", and save the results as a text file through the save dialog.
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

"$program" &
pid=$!
await_window

click $LOAD_SAMPLES
answer_box n                  # No: do not open the samples folder
click $KILOBYTES
results=$work/results
check_and_save_results "$results"

samples=$(dirname "$program")/Samples
expected=$(for f in "$samples"/*; do printf '%s\r\n' "$f"; done | sort)
actual=$(sort < "$results" 2>/dev/null || true)
if [ "$actual" != "$expected" ]; then
    echo "results file differs; expected:"; printf '%s' "$expected" | od -c | head; echo "got:"
    od -c "$results" 2>/dev/null | head || echo "(no file)"
    exit 1
fi
grep -qx "Option2=True" "$XDG_CONFIG_HOME/Quillory/Bytemarsh.ini" ||
    { echo "the unit choice was not stored"; exit 1; }
/usr/bin/python3 "$here/x11_window.py" close Bytemarsh
wait "$pid"
echo "samples loaded, sized in kilobytes, saved as $(wc -l < "$results") CR LF lines"
