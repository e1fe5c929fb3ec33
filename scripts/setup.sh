#!/usr/bin/env bash
# Installs whatever the build, the program, the tests, the benchmarks' anchors and the packaging
# need that this Debian 12 machine lacks. Assumes nothing preinstalled: every library that a
# dependency's pkg-config file names has its development package here (libxlsxwriter links -lz).
set -euo pipefail

packages=(
    # build
    build-essential cmake ninja-build pkg-config git ca-certificates
    qt6-base-dev libgl-dev libxlsxwriter-dev zlib1g-dev
    # tests
    fonts-liberation2 xvfb xauth x11-utils x11-apps xdotool python3 python3-xlib unzip
    weston qt6-wayland
    # benchmarks' anchors
    findutils coreutils gdu fd-find
    # packaging
    dpkg-dev file lintian appstream desktop-file-utils
)

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
