#!/usr/bin/env bash
# Sets up the machine, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting under a virtual X server." >&2
    exec xvfb-run -a build/bytemarsh
fi
exec build/bytemarsh
