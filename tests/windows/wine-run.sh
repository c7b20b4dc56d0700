#!/bin/sh
# wine-run.sh <program.exe> [arguments...]
#
# Runs a Qt Test program of the Windows build under Wine, as CTest's emulator
# for the cross build: Qt Test writes its report to a file (under Wine it
# prints nothing to the terminal), and this prints the report and passes the
# program's exit status on. Wine runs in the prefix $WINEPREFIX on the X
# server $DISPLAY (scripts/check-windows.sh prepares both), in a Japanese
# locale, the setting of the program's users: the ANSI code page is 932.
set -u
exe=$1
shift
wine=${HONURA_WINE:-/usr/lib/wine/wine64}
[ -x "$wine" ] || { echo "wine-run: Wine is not installed ($wine; see scripts/deps.sh)"; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "wine-run: no X server: Wine needs DISPLAY (scripts/check-windows.sh starts one)"; exit 1; }
[ -n "${WINEPREFIX:-}" ] || { echo "wine-run: WINEPREFIX is not set (scripts/check-windows.sh sets it)"; exit 1; }
# Wine keeps the QT_* variables of Linux from Windows programs and passes
# WINEQT_* on as QT_* instead.
for var in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    export "WINE$var=$(printenv "$var")"
done
report=$(mktemp "${TMPDIR:-/tmp}/honura-qtest.XXXXXX")
trap 'rm -f "$report"' EXIT
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDEBUG=${WINEDEBUG:--all} "$wine" "$exe" "$@" -o "Z:$report,txt"
status=$?
cat "$report"
exit $status
