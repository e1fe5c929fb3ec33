#!/usr/bin/env bash
# The program on a Wayland desktop with no X server at all: under a headless weston, with
# WAYLAND_DISPLAY set and DISPLAY and QT_QPA_PLATFORM unset, it must choose Qt's Wayland
# platform by itself, put its window up, stay up, end on SIGTERM, and end when the compositor
# goes away. Skips (77) only where weston is missing or cannot start.
set -euo pipefail
program=$(realpath "$1")
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

command -v weston >/dev/null || skip "weston is not installed (scripts/setup.sh test installs it)"
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
# About one start in a hundred opens the home page; a stand-in for the desktop's opener takes
# it quietly, where a machine without one would have Qt warn that it found no browser.
mkdir -p "$work/bin"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH
socket=bytemarsh-test

start_weston() {
    weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
        >"$work/weston.log" 2>&1 &
    weston_pid=$!
    pids+=("$weston_pid")
    for _ in $(seq 100); do
        [ -S "$XDG_RUNTIME_DIR/$socket" ] && return 0
        kill -0 "$weston_pid" 2>/dev/null || break
        sleep 0.1
    done
    return 1
}

# Starts the program with the client side of its Wayland conversation logged, and waits until
# the compositor has configured its toplevel titled Bytemarsh and a picture of it is attached.
start_program() {
    WAYLAND_DISPLAY=$socket WAYLAND_DEBUG=client "$program" >"$work/$1.out" 2>"$work/$1.log" &
    pid=$!
    pids+=("$pid")
    local shown=""
    for _ in $(seq 200); do
        kill -0 "$pid" 2>/dev/null ||
            fail "$1: the program ended: $(grep -v '^\[' "$work/$1.log" | tail -n 5)"
        local log=$work/$1.log
        if grep -q 'set_title("Bytemarsh")' "$log" && grep -q 'ack_configure' "$log" &&
            grep -q 'wl_surface@[0-9]*\.attach(wl_buffer' "$log"; then
            shown=yes
            break
        fi
        sleep 0.1
    done
    [ -n "$shown" ] || fail "$1: no window reached the compositor"
    # The platform plugin the program loaded is Qt's Wayland one, and no other.
    grep -q 'libqwayland' "/proc/$pid/maps" || fail "$1: Qt's Wayland platform is not loaded"
    ! grep -q 'libqxcb\|libqoffscreen' "/proc/$pid/maps" || fail "$1: another platform is loaded"
}

# Waits up to five seconds for the program to end.
ends() {
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
        sleep 0.1
    done
    return 1
}

start_weston || skip "weston cannot start here: $(tail -n 3 "$work/weston.log")"

start_program term
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the program did not stay up"
# Everything on standard error but the protocol log (each line of which begins with "[").
said=$(grep -v '^\[' "$work/term.log" || true)
[ -z "$said" ] || fail "the program warned: $said"
kill -TERM "$pid"
ends || fail "SIGTERM did not end the program"

start_program compositor
kill -TERM "$weston_pid"
ends || fail "the program outlived its compositor"

echo "native Wayland window under a headless weston; ended by SIGTERM and by the compositor's end"
