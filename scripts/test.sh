#!/usr/bin/env bash
# Installs what the tests need, checks the code's formatting and clang-tidy's findings
# (scripts/check_style.sh), then builds and runs every test headless, in three builds: the
# normal one, the engine's own tests under ThreadSanitizer, and an address-and-undefined-
# sanitizer build. Each build's suites run under a private D-Bus session, so nothing a desktop
# left behind decides a result. A failing stage does not stop the others; the summary at the
# end names every one that failed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test

export QT_QPA_PLATFORM=offscreen
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1
unset DBUS_SESSION_BUS_ADDRESS

# stage NAME DIR [cmake arguments]: builds DIR and runs its tests.
failed=()
stage() {
    local name=$1 dir=$2
    shift 2
    echo "=== $name ($dir)"
    set +e
    (
        set -e
        scripts/build.sh "$dir" "$@"
        cd "$dir"
        dbus-run-session -- ctest --output-on-failure
    )
    local status=$?
    set -e
    [ "$status" -eq 0 ] || failed+=("$name")
}

echo "=== formatting and tidiness"
scripts/check_style.sh || failed+=("formatting and tidiness")

stage "normal build" build -DCMAKE_BUILD_TYPE=Release
stage "engine under ThreadSanitizer" build-tsan -DCMAKE_BUILD_TYPE=Debug -DBYTEMARSH_TSAN=ON
stage "address and undefined sanitizers" build-asan -DCMAKE_BUILD_TYPE=Debug -DBYTEMARSH_SANITIZE=ON

if [ ${#failed[@]} -gt 0 ]; then
    printf '=== failed: %s\n' "${failed[@]}"
    exit 1
fi
echo "=== the code is formatted and tidy, and every test passed in all three builds"
