#!/usr/bin/env bash
# build-windows.sh [--tests] [--bench] [--host-icons <dir>]
#
# Cross-builds the Windows program with MinGW-w64 against the static Qt for
# Windows, and packs what a Windows user downloads:
#   out/windows/honura.exe                one self-contained exe (no DLL beside it)
#   out/honura-<version>-windows-x64.zip  the exe, a read-me in Japanese and
#                                         English, the licence notes
# Work goes to build-windows/: the unpacked Qt, the build, the icons of a
# native build (the resources need them; only the icon tool is built).
#   --tests             also the test programs of the Windows build
#   --bench             also the bare Qt window of the start-up benchmark
#   --host-icons <dir>  icons/ of a native build made already
# The Qt archive is $HONURA_QT_MINGW (the archive or its folder) when set, else
# looked for in ../shared/toolchains/qt6-mingw beside the repository and in
# /work/shared/toolchains/qt6-mingw.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fail() {
    echo "build-windows: FAIL: $*" >&2
    exit 1
}

tests=OFF
extra=()
host_icons=
while [[ $# -gt 0 ]]; do
    case $1 in
    --tests) tests=ON && extra+=(honura_tests) ;;
    --bench) tests=ON && extra+=(bench_bare_window) ;;
    --host-icons) host_icons=${2:?--host-icons needs a folder} && shift ;;
    *) fail "unknown argument $1 (usage: build-windows.sh [--tests] [--bench] [--host-icons <dir>])" ;;
    esac
    shift
done

# --- What the build needs --------------------------------------------------------
archive_name=qt-6.4.2-mingw-w64-x86_64-static.tar.zst
# The Debian source package the Qt in the archive was built from (its README).
qt_source_version=6.4.2+dfsg-10
archive=
places=("$root/../shared/toolchains/qt6-mingw" /work/shared/toolchains/qt6-mingw)
[[ -n ${HONURA_QT_MINGW:-} ]] && places=("$HONURA_QT_MINGW")
for place in "${places[@]}"; do
    [[ -d $place ]] && place="$place/$archive_name"
    if [[ -f $place ]]; then
        archive=$(cd "$(dirname "$place")" && pwd)/$(basename "$place")
        break
    fi
done
[[ -n $archive ]] || fail "the Qt for Windows toolchain is missing: no $archive_name in" \
    "${places[*]} (set HONURA_QT_MINGW to its folder)"
for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres x86_64-w64-mingw32-objdump \
    zstd cmake ninja dpkg-query; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/deps.sh test installs it)"
done
qt_licenses=$(dirname "$archive")/LICENSES
notices=("$qt_licenses/LGPL-3.0-only.txt" "$qt_licenses/GPL-3.0-only.txt"
    "$qt_licenses/Qt-GPL-exception-1.0.txt" /usr/share/doc/qt6-translations-l10n/copyright
    /usr/share/doc/libqt6core6/copyright /usr/share/doc/mingw-w64-x86-64-dev/copyright
    /usr/share/doc/gcc-mingw-w64-base/copyright)
for f in "${notices[@]}"; do
    [[ -f $f ]] || fail "the licence notice $f is missing (scripts/deps.sh test installs it)"
done

# --- Qt for Windows, unpacked once per archive -------------------------------------
work=$root/build-windows
qt=$work/qt6-mingw-static
mkdir -p "$work"
sums=$(dirname "$archive")/SHA256SUMS
stamp=$(stat -c '%s %Y' "$archive")
if [[ ! -f $qt/.unpacked || $(cat "$qt/.unpacked") != "$stamp" ]]; then
    if [[ -f $sums ]]; then
        (cd "$(dirname "$archive")" && sha256sum --quiet -c SHA256SUMS) ||
            fail "$archive does not match its SHA256SUMS"
    fi
    rm -rf "$qt"
    tar -C "$work" -I zstd -xf "$archive" || fail "cannot unpack $archive"
    echo "$stamp" >"$qt/.unpacked"
fi

# --- The icons, from a native build of the icon tool only ---------------------------
if [[ -z $host_icons ]]; then
    cmake -S . -B "$work/host" -G Ninja -DHONURA_TESTS=OFF >/dev/null
    cmake --build "$work/host" -j 2 --target honura_icons >/dev/null ||
        fail "the native build of the icon tool failed (log: cmake --build $work/host)"
    host_icons=$work/host/icons
fi
[[ -f $host_icons/honura.ico ]] || fail "no honura.ico in $host_icons"
host_icons=$(cd "$host_icons" && pwd)

# --- The cross build ---------------------------------------------------------------------
build=$work/build
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DHONURA_HOST_ICON_DIR="$host_icons" -DHONURA_TESTS="$tests" >/dev/null ||
    fail "configuring the Windows build failed"
cmake --build "$build" -j 2 --target honura "${extra[@]}" || fail "the Windows build failed"

# One file: the program imports nothing but the system's own libraries.
foreign=$(x86_64-w64-mingw32-objdump -p "$build/honura.exe" | sed -n 's/^\s*DLL Name: //p' |
    grep -viE '^(api-ms-win-.*|advapi32|authz|comdlg32|d3d11|d3d9|dwmapi|dwrite|dxgi|gdi32|imm32|kernel32|msvcrt|netapi32|ole32|oleaut32|setupapi|shcore|shell32|shlwapi|user32|userenv|uxtheme|version|winmm|ws2_32|wtsapi32)\.dll$' ||
    true)
[[ -z $foreign ]] || fail "honura.exe needs DLLs a Windows system lacks: $foreign"
# The same source builds the same exe: no time stamp, no folder of this machine.
pe=$(od -An -t u4 -j 60 -N 4 "$build/honura.exe" | tr -d ' ')
stamp=$(od -An -t u4 -j $((pe + 8)) -N 4 "$build/honura.exe" | tr -d ' ')
[[ $stamp == 0 ]] || fail "honura.exe carries the time of its build ($stamp) in its header"
! grep -qaF "$root" "$build/honura.exe" || fail "honura.exe holds the build folder $root"

# --- out/ ----------------------------------------------------------------------------------
version=$(sed -nE 's/^project\(honura VERSION ([0-9]+)\.([0-9]+)\.[0-9]+\.([0-9]+).*/\1.\2.\3/p' \
    CMakeLists.txt)
[[ -n $version ]] || fail "no four-part version in project() of CMakeLists.txt"
mkdir -p out/windows
cp "$build/honura.exe" out/windows/honura.exe

# Texts for Windows: CR LF line ends; the read-me and the notices in UTF-8
# with a byte-order mark, which every Windows editor reads as UTF-8 whatever
# the system's code page, their @FIELDS@ filled in.
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }
source_of() { dpkg-query -W -f='${source:Package} ${source:Version}' "$1"; }
fields=(-e "s/@VERSION@/$version/g" -e "s/@QT_SOURCE_VERSION@/$qt_source_version/g"
    -e "s/@QT_SOURCE_VERSION_URL@/${qt_source_version//+/%2B}/g"
    -e "s/@TRANSLATIONS_SOURCE@/$(source_of qt6-translations-l10n)/g"
    -e "s/@MINGW_SOURCE@/$(source_of mingw-w64-x86-64-dev)/g"
    -e "s/@GCC_MINGW_SOURCE@/$(source_of g++-mingw-w64-x86-64-posix)/g")
windows_text() { # windows_text <template> <out>
    {
        printf '\xEF\xBB\xBF'
        sed "${fields[@]}" "$1" | sed 's/\r$//; s/$/\r/'
    } >"$2"
    ! grep -q '@[A-Z_]*@' "$2" || fail "$1: $(grep -o '@[A-Z_]*@' "$2" | head -1) is not filled in"
}
stage=$work/zip/honura-$version
rm -rf "$work/zip"
mkdir -p "$stage/licenses"
cp out/windows/honura.exe "$stage/"
windows_text packaging/windows/README.txt "$stage/README.txt"
windows_text packaging/windows/THIRD-PARTY-NOTICES.txt "$stage/THIRD-PARTY-NOTICES.txt"
[[ -f LICENSE ]] && crlf LICENSE "$stage/LICENSE.txt"
for f in LGPL-3.0-only GPL-3.0-only Qt-GPL-exception-1.0; do
    crlf "$qt_licenses/$f.txt" "$stage/licenses/$f.txt"
done
crlf /usr/share/doc/libqt6core6/copyright "$stage/licenses/qt6-base.txt"
crlf /usr/share/doc/qt6-translations-l10n/copyright "$stage/licenses/qt6-translations.txt"
crlf /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/licenses/mingw-w64.txt"
crlf /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/gcc-runtime.txt"

zip=out/honura-$version-windows-x64.zip
rm -f "$zip"
# Fixed dates, order and modes, no owner: the same input gives the same zip,
# whoever packs it.
/usr/bin/python3 - "$work/zip" "honura-$version" "$root/$zip" <<'PY' || fail "packing $zip failed"
import os, sys, zipfile
base, top, out = sys.argv[1:]
names = sorted(os.path.relpath(os.path.join(d, f), base)
               for d, _, fs in os.walk(os.path.join(base, top)) for f in fs)
with zipfile.ZipFile(out, "w") as z:
    for name in names:
        info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
        info.create_system = 3  # Unix modes
        info.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
        with open(os.path.join(base, name), "rb") as f:
            z.writestr(info, f.read(), compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
PY
for f in out/windows/honura.exe "$zip"; do
    echo "build-windows: $(du -h "$f" | cut -f1) $f (sha256 $(sha256sum "$f" | cut -c1-16)…)"
done
