#!/usr/bin/env bash
# check-package.sh <build-dir>
#
# The release checks of the Debian package, built with cpack -G DEB from a
# configured build folder (everything it writes stays in that folder):
#  1. control fields: the version of the Debian changelog, agreeing with the
#     program's, the metainfo's and CHANGELOG.md's; section games; the About
#     window's home page; Depends without duplicates; Recommends, Suggests;
#  2. lintian --pedantic: no error, no warning, no tag at all but the few
#     accepted below with their reasons;
#  3. the package's files, exactly;
#  4. installed with apt-get: desktop-file-validate and appstreamcli validate
#     --strict on the installed files, both manual pages through man -l
#     without a warning, and the installed program showing its board on a
#     private X server until a close request ends it;
#  5. after apt-get purge, nothing of the package is left.
# Installs and purges the package on this machine, so it runs as root (or
# through sudo). Exits non-zero at the first thing that is wrong, with the
# tool's own message.
set -euo pipefail

build=${1:?usage: check-package.sh <build-dir>}
build=$(cd "$build" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
say() { echo "check-package: $*"; }
fail() {
    echo "check-package: FAIL: $*" >&2
    exit 1
}
SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO="sudo"

for tool in cpack dpkg-deb dpkg-parsechangelog lintian appstreamcli desktop-file-validate man \
    Xvfb xdotool xprop /usr/bin/python3 apt-get; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (see scripts/deps.sh)"
done
if dpkg-query -W -f='${Status}' honura 2>/dev/null | grep -q 'ok installed'; then
    fail "honura is installed on this machine; the check installs and purges its own (apt-get purge honura)"
fi

cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
id=$(cache HONURA_APP_ID)
IFS=. read -r major minor _ revision <<<"$(cache CMAKE_PROJECT_VERSION)"
shown="$major.$minor.$revision"
[[ -n $id && -n $revision ]] || fail "no program id or four-part version in $build/CMakeCache.txt"

say "building"
cmake --build "$build" -j2 >"$build/check-package-build.log" 2>&1 || {
    tail -n 40 "$build/check-package-build.log" >&2
    fail "the build failed"
}
rm -f "$build"/honura_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || {
    cat "$build/cpack.log" >&2
    fail "cpack -G DEB failed"
}
deb=$(ls "$build"/honura_*.deb)
say "package $(basename "$deb")"

# --- 1. Control fields ----------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
metainfo=$src/packaging/$id.metainfo.xml
debian_version=$(dpkg-parsechangelog -l "$src/packaging/changelog" -S Version)
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n1)
changelog_md=$(sed -n 's/^## \([^ ]*\).*/\1/p' "$src/CHANGELOG.md" | head -n1)
[[ $(field Package) == honura ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$debian_version" ]] ||
    fail "Version is '$(field Version)', the Debian changelog says $debian_version"
for upstream in "${debian_version%-*}" "$release" "$changelog_md"; do
    [[ $upstream == "$shown" ]] || fail "the program is version $shown, but the Debian changelog," \
        "the metainfo and CHANGELOG.md say ${debian_version%-*}, $release and $changelog_md"
done
[[ $(field Section) == games ]] || fail "Section is '$(field Section)', not games"
home=$(sed -n 's/.*kHomePage = u"\([^"]*\)".*/\1/p' "$src/src/about/aboutdef.h")
[[ -n $home && $(field Homepage) == "$home" ]] || fail "Homepage '$(field Homepage)' is not $home"
grep -qF "<url type=\"homepage\">$home</url>" "$metainfo" || fail "the metainfo's home page is not $home"

# Package names of a relation field, one per line, without versions.
names() { field "$1" | tr ',|' '\n\n' | sed 's/(.*)//; s/^ *//; s/ *$//' | grep -v '^$' || true; }
twice=$(names Depends | sort | uniq -d)
[[ -z $twice ]] || fail "Depends names twice: $twice"
for need in Depends:libqt6widgets6 Depends:qt6-qpa-plugins Depends:libxcb-xfixes0 \
    Depends:fonts-ipafont-mincho Depends:fonts-ipafont-gothic Depends:sensible-utils \
    Recommends:xdg-utils Recommends:qt6-translations-l10n Suggests:hardinfo; do
    names "${need%%:*}" | grep -qx "${need#*:}" || fail "${need%%:*} lacks ${need#*:}"
done
say "Depends: $(field Depends)"

# --- 2. lintian -------------------------------------------------------------------
# Tags below warning level that are accepted, each for its reason:
#   binary-has-unneeded-section: cpack strips with plain strip, which keeps .comment.
accepted='binary-has-unneeded-section'
lintian --pedantic --display-info --fail-on none "$deb" >"$build/lintian.log" 2>&1 ||
    fail "lintian did not run: $(cat "$build/lintian.log")"
tags=$(grep -E '^[EWIPX]: ' "$build/lintian.log" | grep -vE "^[IPX]: honura: ($accepted) " || true)
[[ -z $tags ]] || fail "lintian --pedantic:
$tags"
say "lintian --pedantic: clean"

# --- 3. Files -----------------------------------------------------------------------
expected="./usr/games/honura
./usr/share/applications/$id.desktop
./usr/share/metainfo/$id.metainfo.xml
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/man/man6/honura.6.gz
./usr/share/man/ja/man6/honura.6.gz
./usr/share/doc/honura/copyright
./usr/share/doc/honura/changelog.gz
./usr/share/doc/honura/changelog.Debian.gz
./usr/share/lintian/overrides/honura"
for size in 16 32 48 64 128 256; do
    expected+="
./usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
done
expected=$(sort <<<"$expected")
actual=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)
[[ $actual == "$expected" ]] || fail "files differ from the expected ones:
$(diff <(echo "$expected") <(echo "$actual") || true)"

# --- 4. Installed ---------------------------------------------------------------------
scratch=$(mktemp -d /tmp/honura-package.XXXXXX)
xvfb_pid=
app_pid=
installed=
apt=(apt-get -qq -o DPkg::Lock::Timeout=600)
cleanup() {
    set +e
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    [[ -n $installed ]] && $SUDO "${apt[@]}" purge -y honura >/dev/null 2>&1
    # A settings file the run may have put beside the program (a fault the
    # checks report) is not left on the machine.
    $SUDO rm -f /usr/games/honura.ini
    rm -rf "$scratch"
}
trap cleanup EXIT

say "installing"
installed=yes
DEBIAN_FRONTEND=noninteractive $SUDO "${apt[@]}" install -y --no-install-recommends "$deb" \
    >"$build/apt-install.log" 2>&1 || fail "apt-get install: $(cat "$build/apt-install.log")"

desktop-file-validate "/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
grep -qx "Exec=/usr/games/honura" "/usr/share/applications/$id.desktop" &&
    grep -qx "TryExec=/usr/games/honura" "/usr/share/applications/$id.desktop" &&
    grep -qx "Icon=$id" "/usr/share/applications/$id.desktop" ||
    fail "the desktop entry does not start /usr/games/honura or names another icon"
appstreamcli validate --strict --no-net "/usr/share/metainfo/$id.metainfo.xml" ||
    fail "appstreamcli validate --strict"

# Both manual pages render without a warning, and man finds each for its language.
for page in man6/honura.6.gz ja/man6/honura.6.gz; do
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "/usr/share/man/$page" 2>&1 >"$scratch/page")
    [[ -z $out ]] || fail "man -l /usr/share/man/$page: $out"
    grep -q '^HONURA(6)' "$scratch/page" || fail "man -l /usr/share/man/$page shows no page"
done
[[ $(LC_ALL=C.UTF-8 man -w honura) == /usr/share/man/man6/honura.6.gz ]] || fail "man -w honura"
[[ $(LC_ALL=ja_JP.UTF-8 LANGUAGE= man -w honura) == /usr/share/man/ja/man6/honura.6.gz ]] ||
    fail "man -w honura in Japanese"

say "starting /usr/games/honura on a private X server"
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
    [[ -s $scratch/display ]] && xprop -display ":$(head -n1 "$scratch/display")" -root >/dev/null 2>&1 && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb ended at start: $(cat "$scratch/xvfb.log")"
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$scratch/display")"
xprop -root >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer: $(cat "$scratch/xvfb.log")"

mkdir -p "$scratch/home"
# A session bus address that leads nowhere keeps libdbus from autolaunching a
# bus that would outlive the check.
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u XDG_CONFIG_HOME HOME="$scratch/home" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/no-bus" XDG_RUNTIME_DIR="$scratch" \
    /usr/games/honura >"$scratch/honura.log" 2>&1 &
app_pid=$!
wid=
for _ in $(seq 150); do
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended at start: $(cat "$scratch/honura.log")"
    wid=$(xdotool search --onlyvisible --pid "$app_pid" --name 'ホヌラ' 2>/dev/null | head -n1 || true)
    [[ -n $wid ]] && break
    sleep 0.1
done
[[ -n $wid ]] || fail "no board window within 15 s: $(cat "$scratch/honura.log")"
[[ $(xprop -id "$wid" _NET_WM_ICON) == *'Icon ('* ]] || fail "the window carries no icon"
say "window $wid: $(xprop -id "$wid" WM_CLASS _NET_WM_NAME | tr '\n' ' ')"
# Close it as a close box does: it saves its settings and ends.
/usr/bin/python3 - "$wid" <<'PY'
import sys
from Xlib import X, display, protocol
d = display.Display()
w = d.create_resource_object("window", int(sys.argv[1]))
ev = protocol.event.ClientMessage(window=w, client_type=d.intern_atom("WM_PROTOCOLS"),
                                  data=(32, [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
w.send_event(ev, event_mask=X.NoEventMask)
d.flush()
PY
for _ in $(seq 150); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end within 15 s of a close request"
wait "$app_pid" || fail "the program ended with status $?: $(cat "$scratch/honura.log")"
app_pid=
[[ -f $scratch/home/.config/honura/honura.ini ]] ||
    fail "the installed program kept no settings in ~/.config/honura/honura.ini"

# --- 5. Purged ------------------------------------------------------------------------
say "purging"
$SUDO "${apt[@]}" purge -y honura >"$build/apt-purge.log" 2>&1 ||
    fail "apt-get purge: $(cat "$build/apt-purge.log")"
installed=
left=$(sed 's/^\.//' <<<"$expected" | while read -r f; do [[ -e $f ]] && echo "$f"; done || true)
[[ -e /usr/share/doc/honura ]] && left+=" /usr/share/doc/honura"
left+=$(find /usr/games -maxdepth 1 -name 'honura*' 2>/dev/null || true)
[[ -z $left ]] || fail "left after apt-get purge: $left"
say "OK"
