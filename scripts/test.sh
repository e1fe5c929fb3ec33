#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test twice: in the normal build and in an
# address-and-undefined-sanitizer build. Runs headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
(cd build && ctest --output-on-failure)
(scripts/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DBYTEMARSH_TSAN=ON; cd build-tsan; TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure)

scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DBYTEMARSH_SANITIZE=ON
cd build-asan && ctest --output-on-failure
