#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh DIR [extra cmake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
[ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" "${generator[@]}" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
