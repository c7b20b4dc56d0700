#!/usr/bin/env bash
# Installs the Debian packages honura needs, only those missing; quiet when all
# are present. Usage: scripts/deps.sh [build|test]   (test includes build)
set -euo pipefail

build_pkgs=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libxcb1-dev libxcb-xfixes0-dev libxcb-xinput-dev
    fonts-ipafont-mincho fonts-ipafont-gothic qt6-translations-l10n
    xvfb xauth openbox xdotool imagemagick
    dpkg-dev file
)
test_pkgs=(
    dbus at-spi2-core python3 python3-pyatspi python3-xlib x11-utils
    clang-14 libclang-rt-14-dev clang-format clang-tidy
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    desktop-file-utils lintian appstream man-db
    wine64 zstd locales
    orca speech-dispatcher fcitx5 fcitx5-mozc fcitx5-frontend-qt6 ibus ibus-mozc
    mutter xwayland kwin-wayland kwin-style-breeze
    libwayland-dev libwayland-bin plasma-wayland-protocols python3-gi
)

pkgs=("${build_pkgs[@]}")
[ "${1:-build}" = test ] && pkgs+=("${test_pkgs[@]}")

missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # Wait for another apt run (a parallel build, unattended upgrades) instead of failing.
    apt=(apt-get -qq -o DPkg::Lock::Timeout=600)
    $SUDO "${apt[@]}" update
    $SUDO "${apt[@]}" install -y --no-install-recommends "${missing[@]}" >/dev/null
fi

# The tests run the program (and Wine, whose ANSI code page follows the locale)
# in a Japanese locale.
if [ "${1:-build}" = test ] && ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    echo "Generating the ja_JP.UTF-8 locale"
    $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
