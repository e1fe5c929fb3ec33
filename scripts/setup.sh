#!/usr/bin/env bash
# Installs what this Debian 12 machine lacks, for one of two purposes:
#   scripts/setup.sh run    building and running the program (what scripts/run.sh needs)
#   scripts/setup.sh test   the same, and the tests, the benchmarks' anchors and the packaging
#                           (what scripts/test.sh needs)
# Assumes nothing preinstalled: every library that a dependency's pkg-config file names has its
# development package here (libxlsxwriter links -lz).
set -euo pipefail
purpose=${1:?usage: setup.sh run|test}

build=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev libxlsxwriter-dev zlib1g-dev
)
run=(
    # the captions' font: Arial's metrics, which the layout was drawn for
    fonts-liberation2
    # Qt's Wayland platform, for Wayland desktops without X
    qt6-wayland
)
test=(
    # the end-to-end tests: a virtual X server, X input, X clients in Python, a private bus
    xvfb xauth xdotool python3 python3-xlib dbus-daemon
    # a screen reader's view of the window: the accessibility bus and a client of it
    at-spi2-core python3-gi gir1.2-atspi-2.0
    # a Wayland compositor, and a screen grab to find a window on it
    weston x11-apps
    # the captions against the font fontconfig falls back to; fc-match, to ask it
    fonts-dejavu-core fontconfig
    # the workbook's parts; the menu entry's "Open With" types
    unzip libglib2.0-bin shared-mime-info
    # benchmarks' anchors
    findutils coreutils gdu fd-find
    # packaging; the completion file, tried in bash's completion framework
    dpkg-dev file lintian appstream desktop-file-utils bash-completion
    # the code's formatting and clang-tidy's findings
    clang-format clang-tidy
)

case $purpose in
    run)
        packages=("${build[@]}" "${run[@]}")
        # No display to show the window on: a virtual X server stands in.
        [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || packages+=(xvfb xauth)
        ;;
    test) packages=("${build[@]}" "${run[@]}" "${test[@]}") ;;
    *) echo "usage: setup.sh run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi
