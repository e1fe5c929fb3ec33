#!/usr/bin/env bash
# How long the program takes to end after the window manager's close, during four long
# commands: a warm size check of a million rows, a check whose stats wait on a slow disk, a
# list-file load of four million lines and a text export to a slow disk. Runs the end-to-end
# script under a virtual X server RUNS times (default 5) and prints each case's median beside
# the same close sent to the idle window, measured in the same runs.
# Usage: bench/bench_close.sh [BUILD_DIR] [RUNS]      (BUILD_DIR defaults to build)
set -euo pipefail
case ${1:-} in -h | --help)
    sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
esac
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$here/build}")
runs=${2:-5}
timings=$(mktemp)
trap 'rm -f "$timings"' EXIT
for run in $(seq "$runs"); do
    echo "run $run of $runs" >&2
    bash "$here/tests/e2e/long_commands.sh" "$build/bytemarsh" "$build/tests/libslow_stat.so" \
        "$timings" >/dev/null
done
median() { grep "^$1 " "$timings" | awk '{print $2}' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
line=""
for name in warm_check slow_check list_load text_export idle; do
    printf '%-12s median %.3f s over %d closes\n' "$name" "$(median "$name")" "$runs"
    line+="${name}_s=$(median "$name") "
done
echo "${line}runs=$runs"
