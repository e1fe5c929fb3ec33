#!/usr/bin/env bash
# Installs what building and running need, builds the program alone (no tests, no benchmarks)
# and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
scripts/build.sh --target bytemarsh build -DCMAKE_BUILD_TYPE=Release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting under a virtual X server." >&2
    exec xvfb-run -a build/bytemarsh "$@"
fi
exec build/bytemarsh "$@"
