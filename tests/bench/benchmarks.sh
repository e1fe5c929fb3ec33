#!/usr/bin/env bash
# What a person running a benchmark by hand relies on, timings aside: --help answers without
# running; a short run ends with a line of key=value pairs; and a run stopped part-way by an
# interrupt, a termination or a kill leaves none of its temporary files behind.
# Usage: benchmarks.sh BENCH_DIR
set -euo pipefail
set -m # background jobs keep the default SIGINT, as in a terminal
bench=$(realpath "$1")
work=$(mktemp -d)
pids=()
trap 'kill -KILL "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
leftovers() { find "$TMPDIR" -mindepth 1 | head -n 3; }

# A short run of each: FILES, ROWS or depths small enough for a test.
declare -A small=([bench_folder_scan]=300 [bench_size_check]=300 [bench_list_editing]=2000
                  [bench_output]=2000 [bench_samples]=2000 [bench_list_file]="2000 --rounds 1"
                  [bench_results_menu]=2000 [bench_deep_scan]="--depths 20,40 --rounds 1"
                  [bench_check_mode]="300 --rounds 1" [bench_progress_line]="300 --rows 600 --rounds 1")
for name in "${!small[@]}"; do
    program=$bench/$name
    out=$(timeout 20 "$program" --help) || fail "$name --help ended with $?"
    grep -q "^Usage: $name" <<<"$out" || fail "$name --help printed: $out"
    [ -z "$(leftovers)" ] || fail "$name --help made files: $(leftovers)"

    # shellcheck disable=SC2086 # the arguments are words
    timeout 300 "$program" ${small[$name]} >"$work/$name.out" 2>&1 ||
        fail "$name ${small[$name]} ended with $?: $(tail -n 5 "$work/$name.out")"
    last=$(tail -n 1 "$work/$name.out")
    [[ $last =~ ^[a-z0-9_]+=[^\ =]+(\ [a-z0-9_]+=[^\ =]+)*$ ]] ||
        fail "$name does not end with key=value pairs: $last"
    [ -z "$(leftovers)" ] || fail "$name left behind: $(leftovers)"
    rm -rf "${TMPDIR:?}"/*
done

# Stopped while it makes its tree of files.
stop_while_making_tree() {
    local name=$1 signal=$2
    "$bench/$name" 200000 >"$work/$name.$signal.out" 2>&1 &
    local pid=$!
    pids+=("$pid")
    for _ in $(seq 200); do
        [ -n "$(find "$TMPDIR" -name '*.dat' -print -quit)" ] && break
        sleep 0.1
    done
    [ -n "$(find "$TMPDIR" -name '*.dat' -print -quit)" ] ||
        { fail "$name made no files to stop it in"; return; }
    kill "-$signal" "$pid"
    wait "$pid" 2>/dev/null || true
    for _ in $(seq 300); do
        [ -z "$(leftovers)" ] && break
        sleep 0.1
    done
    [ -z "$(leftovers)" ] || fail "$name stopped by SIG$signal left behind: $(leftovers)"
    rm -rf "${TMPDIR:?}"/*
}
stop_while_making_tree bench_size_check INT
stop_while_making_tree bench_folder_scan TERM
stop_while_making_tree bench_size_check KILL

[ "$failures" -eq 0 ] || exit 1
echo "${#small[@]} benchmarks: --help, key=value closing lines; no files left after SIGINT, SIGTERM" \
    "or SIGKILL"
