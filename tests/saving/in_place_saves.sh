#!/usr/bin/env bash
# Saves that must write into the file itself (it has a second link), through the check mode:
# 1. on a small ext2 disk, which reserves nothing ahead, with too little room for the new
#    content beside the old: the save fails and the old content stays whole, through both links
#    and through the user's own symbolic link;
# 2. killed at twenty moments of the write, slowed so that the kill can come in the middle on
#    any disk: every time the file holds the old content, the new, or a part of the new with the
#    old content whole in a hidden file beside it.
# Usage: in_place_saves.sh PROGRAM SLOW_STAT_LIBRARY. Skips (77) where no ext2 image can be
# mounted.
set -euo pipefail
program=$(realpath "$1")
slow_stat=$(realpath "$2")
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0
work=$(mktemp -d)
mounted=
cleanup() {
    [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work"

# The rows: one path a line, CR LF, as the check mode reads them.
rows() { awk -v path="$1" -v n="$2" 'BEGIN { for (i = 0; i < n; i++) printf "%s\r\n", path }'; }
same() { cmp -s "$1" "$2"; }

# 1. Too little room on a disk that reserves nothing.
full_disk() {
    if [ "$(id -u)" -ne 0 ] || ! command -v mkfs.ext2 >/dev/null; then
        echo "SKIP: the full disk needs root and mkfs.ext2"
        return 77
    fi
    truncate -s 2M disk.img
    mkfs.ext2 -q -F disk.img
    mkdir disk
    mount -o loop disk.img disk 2>/dev/null || {
        echo "SKIP: no loop device can be mounted here"
        return 77
    }
    mounted=$work/disk
    head -c 102400 /dev/urandom >disk/res.txt
    ln disk/res.txt disk/second.txt
    cp disk/res.txt old.txt
    ln -s "$work/disk/res.txt" own-link.txt
    echo sized >file.txt
    # 150 KiB of rows: they fit beside the old file once, not twice.
    rows "$work/file.txt" 6000 >list.txt
    free=$(($(stat -f -c '%a * %S' disk)))
    head -c $((free - 180 * 1024)) /dev/zero >disk/filler || true
    for target in disk/res.txt own-link.txt; do
        if "$program" --check --list list.txt --text "$target" >/dev/null 2>err.txt; then
            fail "the save to $target went through with $(($(stat -f -c '%a * %S' disk) / 1024)) KiB free"
        fi
        grep -q "No space left" err.txt || fail "the save to $target said: $(cat err.txt)"
        same disk/res.txt old.txt || fail "the save to $target changed the old file"
        same disk/second.txt old.txt || fail "the save to $target changed the second link"
        left=$(ls -A disk | tr '\n' ' ')
        [ "$left" = "filler lost+found res.txt second.txt " ] || fail "the disk holds: $left"
    done
    echo "on a full ext2 disk the old file stayed whole, by its name and through a link"
}

# 2. Killed on the way: the old content, the new, or the old kept beside.
killed_saves() {
    # Long rows, about 25 MB, written a MiB at a time with a pause before each: the write
    # takes about half a second on any disk, even one in memory.
    local folder
    folder=$work/$(printf 'long%.0s' $(seq 60))
    mkdir -p shared "$folder"
    echo sized >"$folder/file.txt"
    rows "$folder/file.txt" 100000 >big-list.txt
    head -c 3000000 /dev/urandom | base64 >shared/res.txt
    ln shared/res.txt shared/second.txt
    cp shared/res.txt old.txt
    "$program" --check --list big-list.txt --text new.txt >/dev/null
    local old=0 new=0 partial=0
    for round in $(seq 20); do
        cp old.txt shared/res.txt
        LD_PRELOAD=$slow_stat BYTEMARSH_SLOW_WRITES=1 BYTEMARSH_SLOW_MS=20 \
            "$program" --check --list big-list.txt --text shared/res.txt >/dev/null 2>&1 &
        local saver=$!
        # The old content is kept beside the file just before the file itself changes: the kill
        # comes at some moment of the write that follows.
        for _ in $(seq 3000); do
            compgen -G 'shared/.res.txt.old-content.*' >/dev/null && break
            kill -0 "$saver" 2>/dev/null || break
            sleep 0.005
        done
        sleep "0.$((RANDOM % 7))$((RANDOM % 10))"
        kill -KILL "$saver" 2>/dev/null || true
        wait "$saver" 2>/dev/null || true
        local beside
        beside=$(find shared -name '.res.txt.*' | head -1)
        if same shared/res.txt old.txt; then
            old=$((old + 1))
        elif same shared/res.txt new.txt; then
            new=$((new + 1))
        else
            [ -n "$beside" ] || fail "round $round: the file holds neither content and nothing lies beside it"
            same "$beside" old.txt || fail "round $round: the copy beside is not the old content"
            partial=$((partial + 1))
        fi
        same shared/second.txt shared/res.txt || fail "round $round: the two links went apart"
        rm -f shared/.res.txt.*
    done
    [ "$partial" -gt 0 ] || fail "no kill came while the file was written: $old old, $new new"
    echo "twenty saves killed on the way: $old old, $new new, $partial part-written with the old content beside"
}

status=0
full_disk || status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 77 ] || exit "$status"
killed_saves
exit "$status"
