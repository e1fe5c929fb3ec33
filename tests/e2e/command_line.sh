#!/usr/bin/env bash
# The program named with files and folders, as a file manager's "Open With" or a shell starts
# it: the paths fill the file list as drops would; a second start hands its paths to the open
# window and ends; --help, --version and a wrong option answer without any display.
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    # Answers that need no display, checked before one exists.
    fail() { echo "$*"; exit 1; }
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help) ||
        fail "--help ended with $?"
    grep -q '^Usage: bytemarsh ' <<<"$out" || fail "--help printed: $out"
    grep -q -- '--new-window' <<<"$out" || fail "--help does not name --new-window"
    out=$(env -u DISPLAY -u QT_QPA_PLATFORM "$program" --version) || fail "--version ended with $?"
    [[ "$out" =~ ^Bytemarsh\ [0-9]+(\.[0-9]+)+$ ]] || fail "--version printed: $out"
    status=0
    err=$(env -u DISPLAY -u QT_QPA_PLATFORM "$program" --no-such-option 2>&1 >/dev/null) ||
        status=$?
    [ "$status" -eq 2 ] || fail "a wrong option ended with $status, not 2"
    grep -q "Unknown option 'no-such-option'" <<<"$err" || fail "a wrong option printed: $err"
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
socket=$XDG_RUNTIME_DIR/bytemarsh-$(id -u).socket # where the open window listens

mkdir -p "$work/files/tree/sub" "$work/other"
echo a >"$work/files/first file.txt"
echo one >"$work/files/tree/one.txt"
echo two >"$work/files/tree/sub/two.txt"
echo skip >"$work/files/tree/sub/~skipped.txt"
echo b >"$work/other/later.txt"

windows() { xdotool search --onlyvisible --name '^Bytemarsh$' 2>/dev/null | wc -l; }
source "$here/window_steps.sh"

# Relative names are taken from the folder the program was started in.
(cd "$work/files" && exec "$program" "first file.txt" missing.txt tree) &
pids+=($!)
await_window
[ -S "$socket" ] || { echo "the window does not listen on $socket"; exit 1; }

(cd "$work/other" && timeout 20 "$program" later.txt) ||
    { echo "the second start ended with $?"; exit 1; }
[ "$(windows)" -eq 1 ] || { echo "the second start opened a window of its own"; exit 1; }

# The file list's rows, in order, come back through the results saved as a text file.
results=$work/results
check_and_save_results "$results"
expected=$(printf '%s\r\n' "$work/files/first file.txt" "$work/files/tree/one.txt" \
    "$work/files/tree/sub/two.txt" "$work/other/later.txt")
actual=$(cat "$results" 2>/dev/null || true)
if [ "$actual" != "$expected" ]; then
    echo "the file list held, in order:"; cat -A "$results" 2>/dev/null || echo "(no file)"
    exit 1
fi

# A separate window on request, while the first stays. After "--" every word is a path, even
# one the toolkit would take for its own option and retitle the window with.
"$program" --new-window -- -qwindowtitle Elsewhere &
pids+=($!)
await_windows 2 '^Bytemarsh$'
kill "${pids[1]}"
wait "${pids[1]}" 2>/dev/null || true
await_windows 1 '^Bytemarsh$'
await_windows 0 '^Elsewhere$'
/usr/bin/python3 "$here/x11_window.py" close Bytemarsh
wait "${pids[0]}" || { echo "the first window ended with $?"; exit 1; }
# The window's socket goes with it; whatever else a desktop keeps there (a D-Bus session's
# dbus-1/, the lock the next window takes over) is not the socket.
[ ! -e "$socket" ] || { echo "left behind: $socket"; exit 1; }
echo "started with a file and a folder, took a second start's file, answered --help and --version"
