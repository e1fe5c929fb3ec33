#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh [--target NAME]... DIR [extra cmake arguments]
# Without --target it builds everything: the program, the tests, the benchmarks and the package's
# documents. The tree is configured again on every call, so tools installed since (a virtual X
# server, a compositor) are found and their tests join.
set -euo pipefail
cd "$(dirname "$0")/.."
targets=()
while [ "${1:-}" = --target ]; do
    targets+=(--target "$2")
    shift 2
done
dir=$1
shift
generator=()
[ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B "$dir" "${generator[@]}" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"
