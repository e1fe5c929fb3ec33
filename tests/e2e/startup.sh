#!/usr/bin/env bash
# Starts the real program under a virtual X server with a fresh user, checks the window and
# the stored settings, closes the window as a person would and checks that nothing is written.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${BYTEMARSH_IN_XVFB:-}" ]; then
    BYTEMARSH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

"$program" &
pid=$!
size=$(/usr/bin/python3 "$here/x11_window.py" size Bytemarsh)
[ "$size" = "1064x339" ] || { echo "client area is $size, not 1064x339"; exit 1; }
# The window carries the program icon: 32, 48, 128 and 256 pixels square, each as width,
# height and one value per pixel.
icon=$(/usr/bin/python3 "$here/x11_window.py" icon Bytemarsh)
expected=$(( (2 + 32 * 32) + (2 + 48 * 48) + (2 + 128 * 128) + (2 + 256 * 256) ))
[ "$icon" = "$expected" ] || { echo "window icon holds $icon values, not $expected"; exit 1; }

settings=$XDG_CONFIG_HOME/Quillory/Bytemarsh.ini
for pair in Option1=True Option2=False Option3=False Option4=False; do
    grep -qx "$pair" "$settings" || { echo "settings lack $pair:"; cat "$settings"; exit 1; }
done
# The sample files next to the program are recorded, scrambled, on the first start.
grep -q '^Snapshot=..' "$settings" || { echo "no sample record:"; cat "$settings"; exit 1; }
# Times to the nanosecond and the inode: any write at exit, in place or by a new file, shows.
before=$(stat -c '%y %z %i %s' "$settings"; md5sum < "$settings")

/usr/bin/python3 "$here/x11_window.py" close Bytemarsh
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "the program did not end on close"; kill "$pid"; exit 1; fi
wait "$pid" || { echo "the program exited with $?"; exit 1; }
after=$(stat -c '%y %z %i %s' "$settings"; md5sum < "$settings")
[ "$before" = "$after" ] || { echo "settings were written at exit"; exit 1; }
echo "window 1064x339 titled Bytemarsh with its icon; first-start settings and sample record stored; closed cleanly"
