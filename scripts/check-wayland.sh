#!/usr/bin/env bash
# check-wayland.sh [<build-dir>]
#
# Possession mode on the desktops people run, with the pointer they move:
# GNOME (mutter) and KDE Plasma (KWin) as Wayland compositors without a screen,
# the program on their XWayland, the compositor's own pointer moved through its
# own input path (mutter's RemoteDesktop D-Bus API, KWin's fake-input
# protocol); and X11 (Xvfb) with openbox and without a window manager, through
# XTest. Each desktop walks tests/e2e/wayland/test_desktops.py: the board at
# its saved place, spelling, possession entered and left, pushes in eight
# directions, the place restored at the next start, a killed program.
#
# Both compositors take X display :0: each desktop runs in private mount and
# network namespaces with a /tmp of its own, and in a process namespace of its
# own, which ends every process of the run with it. Prints, per desktop, how far the
# pointer got outside the client area and how soon after the gesture a push is
# held. A desktop that cannot start fails the check with one line saying why.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
python=/usr/bin/python3

missing() { # missing <what>: one line, and the check fails
    echo "check-wayland: FAIL: $*" >&2
    exit 1
}
for tool in mutter kwin_wayland Xwayland Xvfb openbox dbus-daemon unshare xdpyinfo; do
    command -v "$tool" >/dev/null || missing "$tool is not installed (scripts/deps.sh test installs it)"
done
$python -c 'import gi, Xlib, pyatspi' 2>/dev/null ||
    missing "Python's gi, Xlib or pyatspi module is missing (scripts/deps.sh test installs them)"
unshare -mnp --fork --mount-proc true 2>/dev/null ||
    missing "cannot make private mount, network and process namespaces (unshare -mnp needs root)"
cmake --build "$build" --target honura honura_fakeinput >/dev/null ||
    missing "the program or the fake-input client does not build (libwayland-dev, wayland-scanner and plasma-wayland-protocols are needed)"
fakeinput=$build/tests/e2e/wayland/honura_fakeinput

results=$(mktemp)
hold=$(mktemp -d /run/honura-wayland.XXXXXX) || missing "cannot make a folder in /run"
trap 'rm -f "$results"; rmdir "$hold"' EXIT
failed=()
for desktop in gnome kde x11-openbox x11; do
    echo "check-wayland: $desktop"
    start=$SECONDS
    # The private /tmp hides the machine's: a checkout or build below /tmp is
    # bound back into it at the same place.
    # shellcheck disable=SC2016 # expanded by the inner shell
    timeout -k 10 240 unshare -mnp --fork --mount-proc \
        sh -c 'mount --bind /tmp "$0" && mount -t tmpfs -o mode=1777 tmpfs /tmp || exit 1
            for d in "$1" "$2"; do
                case $d in /tmp/*) mkdir -p "$d" && mount --bind "$0${d#/tmp}" "$d" || exit 1 ;; esac
            done
            shift 2 && exec "$@"' "$hold" "$root" "$build" \
        "$python" "$root/tests/e2e/wayland/test_desktops.py" --desktop "$desktop" \
        --exe "$build/honura" --fakeinput "$fakeinput" 2>&1 | tee -a "$results"
    status=${PIPESTATUS[0]}
    echo "check-wayland: $desktop: $((SECONDS - start)) s"
    [ "$status" -eq 0 ] || failed+=("$desktop")
done

echo "check-wayland: measured"
grep '^measured: ' "$results" | sed 's/^measured: /  /'
if [ ${#failed[@]} -gt 0 ]; then
    echo "check-wayland: FAIL: ${failed[*]}"
    exit 1
fi
echo "check-wayland: all desktops passed"
