#!/usr/bin/env bash
# Installs the Debian packages honura needs, only those missing; quiet when all
# are present. Usage: scripts/deps.sh [build|test]   (test includes build)
set -euo pipefail

build_pkgs=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libxcb1-dev libxcb-xfixes0-dev
    fonts-ipafont-mincho fonts-ipafont-gothic
    xvfb xauth openbox xdotool imagemagick
)
test_pkgs=(
    dbus at-spi2-core python3 python3-pyatspi python3-xlib x11-utils
    clang-14 libclang-rt-14-dev clang-format clang-tidy
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    desktop-file-utils dpkg-dev file
)

pkgs=("${build_pkgs[@]}")
[ "${1:-build}" = test ] && pkgs+=("${test_pkgs[@]}")

missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
