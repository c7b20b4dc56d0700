#!/usr/bin/env bash
# check-windows.sh [<native-build-dir>]
#
# The Windows stage of the test command: builds honura.exe, the zip and the
# Windows test programs (scripts/build-windows.sh --tests), runs the unit and
# widget tests and the Win32 backend tests under Wine on a private X server,
# then the end-to-end test of honura.exe under Wine (tests/windows/).
# The icons of <native-build-dir> are used when it has them, so that no native
# build is needed. Wine runs in one prefix kept in build-windows/wine-prefix or
# $WINEPREFIX (made on the first run, about half a minute), or in a temporary
# one where that cannot be made (a read-only home or build folder); no Wine or
# X server process outlives the stage.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${1:-}
fail() {
    echo "check-windows: FAIL: $*" >&2
    exit 1
}
started=$(date +%s)

wine=${HONURA_WINE:-/usr/lib/wine/wine64}
[[ -x $wine ]] || fail "Wine is not installed ($wine; scripts/deps.sh test installs wine64)"
for tool in Xvfb openbox xdotool import ctest; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/deps.sh test installs it)"
done
locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' ||
    fail "the ja_JP.UTF-8 locale is missing (scripts/deps.sh test makes it)"
/usr/bin/python3 -c 'import Xlib' 2>/dev/null ||
    fail "python3-xlib is not installed (scripts/deps.sh test installs it)"
[[ -z $native ]] || native=$(cd "$native" && pwd)

cd "$root"
icons=()
[[ -n $native && -f $native/icons/honura.ico ]] && icons=(--host-icons "$native/icons")
scripts/build-windows.sh --tests "${icons[@]}"
build=$root/build-windows/build

# One prefix for every run ($WINEPREFIX when set), or a temporary one.
prefix=${WINEPREFIX:-$root/build-windows/wine-prefix}
temporary=
if ! mkdir -p "$prefix" 2>/dev/null || ! touch "$prefix/.writable" 2>/dev/null; then
    prefix=$(mktemp -d "${TMPDIR:-/tmp}/honura-wine.XXXXXX")
    temporary=$prefix
    echo "check-windows: cannot make the Wine prefix ${WINEPREFIX:-build-windows/wine-prefix}: using $prefix"
fi
export WINEPREFIX=$prefix WINEDEBUG=-all
# No installers for .NET and HTML, no menu entries in the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

. scripts/xvfb.sh
cleanup() {
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
    stop_private_display
    [[ -z $temporary ]] || rm -rf "$temporary"
}
trap cleanup EXIT
start_private_display
if [[ ! -f $prefix/system.reg ]]; then
    echo "check-windows: making the Wine prefix $prefix"
    LANG=ja_JP.UTF-8 timeout 600 "$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot failed in $prefix"
fi

status=0
echo "check-windows: unit and widget tests under Wine"
ctest --test-dir "$build" -L unit -j 2 --timeout 300 --output-on-failure || status=1
# The end-to-end test brings its own X server; Wine starts afresh on it.
cleanup
trap - EXIT
trap '[[ -z $temporary ]] || rm -rf "$temporary"' EXIT
echo "check-windows: honura.exe end to end under Wine"
ctest --test-dir "$build" -L e2e --timeout 600 --output-on-failure || status=1

[[ $status -eq 0 ]] || fail "Windows tests failed (above)"
echo "check-windows: OK in $(($(date +%s) - started)) s"
