#!/usr/bin/env bash
# check-windows.sh [<build-dir>]
#
# What can be checked of the Windows build on Linux, with the MinGW-w64 cross
# compiler (packages g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64):
#
# 1. Syntax and warnings (-fsyntax-only -std=c++20 -Wall -Wextra -Werror) of
#    every source file the Windows build compiles: all of src/ but the X11
#    backend, the Windows backend src/platform/win32/ included.
#    Qt for Windows is not installed here. Qt's headers are the same on every
#    platform apart from their generated configuration (qconfig.h and the
#    QT_FEATURE_* headers), and the platform itself is chosen by the compiler's
#    own macros (_WIN32 gives Q_OS_WIN), so the Linux Qt headers are used as
#    they are. What is checked is the program's code against Qt's and Windows'
#    declarations; nothing is linked.
# 2. The resource script: packaging/honura.rc.in is configured as CMake does
#    and compiled with windres; the result is decompiled to check the version
#    record (1.0.0.1 from the project), the product name and the icon.
#    The icon is the one exported into <build-dir>/icons/honura.ico;
#    without a build directory a blank icon stands in.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-}
cxx=x86_64-w64-mingw32-g++-posix
windres=x86_64-w64-mingw32-windres
fail() {
    echo "check-windows: FAIL: $*" >&2
    exit 1
}
for tool in "$cxx" "$windres" cmake; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (see scripts/deps.sh)"
done
qt=$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)
[[ -f $qt/QtCore/qglobal.h ]] || fail "no Qt 6 headers in $qt"

work=$(mktemp -d /tmp/honura-windows.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$root"

# The project's version, as CMake reads it from project().
version=$(sed -nE 's/^project\(honura VERSION ([0-9]+\.[0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || fail "no four-part version in project() of CMakeLists.txt"
IFS=. read -r major minor patch tweak <<<"$version"
configure() { # configure <in> <out> [-DVAR=value...]: configure_file(@ONLY) as the build does
    local in=$1 out=$2
    shift 2
    echo 'configure_file(${IN} ${OUT} @ONLY)' >"$work/configure.cmake"
    cmake -DIN="$in" -DOUT="$out" -DPROJECT_VERSION="$version" -DPROJECT_VERSION_MAJOR="$major" \
        -DPROJECT_VERSION_MINOR="$minor" -DPROJECT_VERSION_PATCH="$patch" \
        -DPROJECT_VERSION_TWEAK="$tweak" "$@" -P "$work/configure.cmake"
}

# --- 1. Sources -----------------------------------------------------------------
mkdir -p "$work/generated"
configure src/version.h.in "$work/generated/version.h"
mapfile -t sources < <(find src -name '*.cpp' ! -path 'src/platform/x11/*' | sort)
win_only=$(printf '%s\n' "${sources[@]}" | grep -c '^src/platform/win32/' || true)
[[ $win_only -gt 0 ]] || fail "no Windows-only sources under src/platform/win32/"
flags=(-fsyntax-only -std=c++20 -Wall -Wextra -Werror
    -DUNICODE -D_UNICODE -DQT_NO_KEYWORDS -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB
    -Isrc -I"$work/generated"
    -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui" -isystem "$qt/QtWidgets")
failed=0
for f in "${sources[@]}"; do
    if ! "$cxx" "${flags[@]}" "$f" 2>"$work/out.txt"; then
        cat "$work/out.txt" >&2
        failed=$((failed + 1))
    fi
done
[[ $failed -eq 0 ]] || fail "$failed of ${#sources[@]} sources do not compile for Windows"
echo "check-windows: ${#sources[@]} sources compile for Windows ($win_only Windows-only)"

# --- 2. Resources ---------------------------------------------------------------
ico=
[[ -n $build ]] && ico="$build/icons/honura.ico"
if [[ -z $ico || ! -f $ico ]]; then
    [[ -n $build ]] && fail "no exported icon $ico (build the honura_icons target)"
    ico="$work/blank.ico" # 16 x 16, 32 bits, all transparent
    /usr/bin/python3 - "$ico" <<'PY'
import struct, sys
w = h = 16
dib = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 32, 0, 0, 0, 0, 0, 0)
dib += bytes(w * h * 4) + bytes(h * 4)  # colour, then the 1-bit mask rows (4 bytes each)
head = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', w, h, 0, 0, 1, 32, len(dib), 22)
open(sys.argv[1], 'wb').write(head + dib)
PY
fi
configure packaging/honura.rc.in "$work/honura.rc" -DHONURA_ICON_ICO="$ico"
"$windres" -i "$work/honura.rc" -O coff -o "$work/honura.res.o" || fail "windres failed"
"$windres" -i "$work/honura.rc" -O res -o "$work/honura.res"
"$windres" -i "$work/honura.res" -O rc -o "$work/decompiled.rc"
expect() { grep -qE "$1" "$work/decompiled.rc" || fail "resources lack: $2"; }
expect "^ FILEVERSION $major, $minor, $patch, $tweak\$" "FILEVERSION $major,$minor,$patch,$tweak"
expect "^ PRODUCTVERSION $major, $minor, $patch, $tweak\$" "PRODUCTVERSION $major,$minor,$patch,$tweak"
# ホヌラ is U+30DB U+30CC U+30E9.
expect 'VALUE "ProductName", L"\\x30db\\x30cc\\x30e9"' "ProductName ホヌラ"
expect "VALUE \"ProductVersion\", \"$version\"" "ProductVersion $version"
expect 'RT_GROUP_ICON' "an icon"
echo "check-windows: resources carry version $version, product name ホヌラ and the icon $(basename "$ico")"
echo "check-windows: OK"
