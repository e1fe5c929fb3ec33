# Steps a person takes in the real window, shared by the end-to-end scripts (sourced). Without
# a window manager the window sits at the screen's top left, so a control's place in the window
# is its place on the screen. Every wait is for a condition, with a deadline.

# The opening a window test shares, once under Xvfb: a folder of its own ($work) holding the
# settings and the runtime folder, the real window system rather than offscreen, and on exit
# the program ($pid) and the test's session bus ($bus) ended and the folder removed.
begin_window_test() {
    work=$(mktemp -d)
    pid=
    bus=
    trap end_window_test EXIT
    export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM
}
end_window_test() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$bus" ] && kill "$bus" 2>/dev/null
    rm -rf "$work"
}
fail() { echo "FAIL: $*"; exit 1; }

x11() { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/x11_window.py" "$@"; }

START_CHECKING="795 21"
ADD_FOLDER="400 164"
SAVE_AS_TEXT="664 250"
CLEAR_RESULTS="928 284"
COPY_RESULTS="664 284"
FIRST_RESULT="700 67"
LOAD_LIST_FILE="136 199"
LOAD_SAMPLES="400 232"
KILOBYTES="160 311"
FILE_LIST="268 77"
# A spot of the window's own background that no box covers: the pointer shows the window's
# setting there, busy or not.
BACKGROUND="1060 300"

# Starts a session bus of the test's own, from which the accessibility bus a screen reader
# reads starts too: nothing a desktop left behind answers. Sets $bus to the daemon's process,
# for the test's cleanup to end; $work is the test's own folder.
start_session_bus() {
    dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus" 2>/dev/null
    DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
    bus=$(sed -n 2p "$work/bus")
    export DBUS_SESSION_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}
screen_reader() { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/screen_reader.py" "$@"; }

# Boxes and the window share the application title.
windows_titled() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }

# Waits until $1 windows titled $2 show (or are gone, for 0).
await_windows() {
    local count=$1 title=$2
    for _ in $(seq 400); do
        [ "$(windows_titled "$title")" -eq "$count" ] && return 0
        sleep 0.05
    done
    echo "FAIL: expected $count windows titled '$title', saw $(windows_titled "$title")"
    exit 1
}

# Waits for the main window and notes what the pointer looks like over it when it is idle.
await_window() {
    x11 size Bytemarsh >/dev/null
    xdotool mousemove $BACKGROUND
    await_windows 1 '^Bytemarsh$'
    IDLE_POINTER=$(x11 cursor)
}

# Waits until the window has shown its idle pointer for a while: the command has ended.
await_idle() {
    xdotool mousemove $BACKGROUND
    x11 wait-cursor SETTLE "$IDLE_POINTER" 60
}

click() { xdotool mousemove "$1" "$2" click 1; }

# Presses a button and waits until the window shows the busy pointer.
press_and_see_busy() {
    xdotool mousemove "$1" "$2"
    x11 wait-cursor CHANGE "$IDLE_POINTER" 10 # the hand over a button
    local over_button
    over_button=$(x11 cursor)
    xdotool click 1
    x11 wait-cursor CHANGE "$over_button" 10
}

# Answers the box that a command shows (titled as the window is) with a key and waits for it
# to go.
# MAIN_WINDOWS says how many of the program's windows are open besides the box.
MAIN_WINDOWS=1
answer_box() {
    await_windows $((MAIN_WINDOWS + 1)) '^Bytemarsh$'
    xdotool key "$1"
    await_windows "$MAIN_WINDOWS" '^Bytemarsh$'
}
await_box_and_confirm() { answer_box Return; }

# Waits until the window titled $1 has the keyboard. Keys that reach a dialog before it knows it
# has the keyboard are typed, but its list keeps what they selected on the way.
await_focus() {
    local window
    for _ in $(seq 400); do
        window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$window" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && return 0
        sleep 0.05
    done
    echo "FAIL: the window titled '$1' never had the keyboard"
    exit 1
}

# Types a path into the file dialog titled $1 once it shows and has the keyboard.
type_into_dialog() {
    await_windows 1 "$1"
    await_focus "$1"
    xdotool type --delay 10 "$2"
    # A file dialog still reading its folder may put a name of its own in the field once the
    # reading ends; on a loaded machine that can come after the typing. Typed again over the
    # whole field a moment later, the path is the one the dialog takes.
    sleep 0.3
    xdotool key ctrl+a
    xdotool type --delay 10 "$2"
}

open_list_file_dialog() {
    click $LOAD_LIST_FILE
    type_into_dialog '^Load List' "$1"
}

# Confirms the dialog or box that has the keyboard and waits for the busy pointer.
submit_and_see_busy() {
    xdotool mousemove $BACKGROUND
    xdotool key Return
    x11 wait-cursor CHANGE "$IDLE_POINTER" 10
}

answer_yes_and_see_busy() {
    await_windows $((MAIN_WINDOWS + 1)) '^Bytemarsh$'
    xdotool mousemove $BACKGROUND
    xdotool key y
    # The window may show the busy pointer while the box is still up, and a close sent to a
    # window a box holds is dropped: what follows waits for the box to go.
    await_windows $MAIN_WINDOWS '^Bytemarsh$'
    x11 wait-cursor CHANGE "$IDLE_POINTER" 10
}

load_list_file() {
    open_list_file_dialog "$1"
    xdotool key Return
    await_windows 0 '^Load List'
    await_idle
}

check_and_confirm() {
    click $START_CHECKING
    await_box_and_confirm
}

# Saves the results as a text file at $1; a question about an existing file is left open.
save_results_as_text() {
    click $SAVE_AS_TEXT
    type_into_dialog '^Save$' "$1"
    xdotool key Return
    await_windows 0 '^Save$'
}

# "Add All Files In Folder" on the folder $1, with the extension offered ("*"): returns once the
# folder browser is gone, when the scan begins.
add_folder_tree() {
    click $ADD_FOLDER
    await_box_and_confirm
    type_into_dialog '^Please select folder:' "$1"
    xdotool key Return
    await_windows 0 '^Please select folder:'
}

# Start Checking, confirm "Done.", and save the results as a text file at $1.
check_and_save_results() {
    check_and_confirm
    save_results_as_text "$1"
    await_idle
}

# The results of checking the file list, one path a line. A check adds to what the results
# list holds already.
results_of_a_check() {
    check_and_save_results "$1"
    tr -d '\r' <"$1"
}

# Asks the window of the program $pid started to close, as the window manager's close button
# does, and waits for the program to end well; $1 names the moment for a failure.
close_window() {
    x11 close Bytemarsh
    for _ in $(seq 500); do kill -0 "$pid" 2>/dev/null || break; sleep 0.01; done
    kill -0 "$pid" 2>/dev/null && { echo "FAIL: $1: the program lived on after the close"; exit 1; }
    wait "$pid" || { echo "FAIL: $1: the program ended with $?"; exit 1; }
    pid=
}
