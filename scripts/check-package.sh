#!/usr/bin/env bash
# check-package.sh <build-dir>
#
# Builds the Debian package from a configured build directory (cpack -G DEB),
# lists it, and checks its control fields, its dependencies and its files.
# Then unpacks it into a scratch root (dpkg -x) and starts the unpacked program
# on a private X server with the ordinary xcb platform, to see that it shows
# its board. Exits non-zero, saying why, at the first thing that is wrong.
set -euo pipefail

build=${1:?usage: check-package.sh <build-dir>}
build=$(cd "$build" && pwd)
say() { echo "check-package: $*"; }
fail() {
    echo "check-package: FAIL: $*" >&2
    exit 1
}

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate Xvfb xdotool xprop; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (see scripts/deps.sh)"
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || fail "no project version in $build/CMakeCache.txt"

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
deb=$(ls "$build"/honura_"$version"_*.deb 2>/dev/null | head -n1)
[[ -f $deb ]] || fail "no package honura_${version}_*.deb in $build"
say "package $(basename "$deb")"
dpkg-deb -c "$deb"

# --- Control fields ---------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == honura ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', not $version"
[[ $(field Section) == games ]] || fail "Section is '$(field Section)', not games"
[[ -n $(field Maintainer) ]] || fail "no Maintainer"
depends=$(field Depends)
say "Depends: $depends"
# Package names alone, one per line, without versions or alternatives.
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/^ *//; s/ *$//' | grep -v '^$' | sort -u)
for need in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins libxcb1 libxcb-xfixes0 \
    fonts-ipafont-mincho fonts-ipafont-gothic libc6 libstdc++6; do
    grep -qx "$need" <<<"$names" || fail "Depends lacks $need"
done
# Every dependency, with its version, is met on this Debian system.
dpkg --dry-run -i "$deb" >/dev/null 2>"$build/dpkg-dry-run.log" || {
    cat "$build/dpkg-dry-run.log" >&2
    fail "the package's dependencies are not met here"
}

# --- Files ------------------------------------------------------------------
scratch=$(mktemp -d /tmp/honura-package.XXXXXX)
xvfb_pid=
app_pid=
cleanup() {
    set +e
    if [[ -n $app_pid ]]; then
        kill "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

expected="./usr/bin/honura
./usr/share/applications/honura.desktop"
for size in 16 32 64 128 256; do
    expected+="
./usr/share/icons/hicolor/${size}x${size}/apps/honura.png"
done
expected=$(sort <<<"$expected")
actual=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)
[[ $actual == "$expected" ]] || fail "files differ from the expected ones:
$(diff <(echo "$expected") <(echo "$actual") || true)"

root="$scratch/root"
dpkg -x "$deb" "$root"
exe="$root/usr/bin/honura"
[[ -x $exe ]] || fail "usr/bin/honura is not executable"
missing=$(ldd "$exe" | grep 'not found' || true)
[[ -z $missing ]] || fail "unresolved libraries: $missing"

desktop-file-validate "$root/usr/share/applications/honura.desktop" ||
    fail "desktop entry does not validate"
for key in 'Name=ホヌラ' 'Name\[ja\]=ホヌラ' 'Exec=honura' 'Icon=honura' 'Categories=Game;' \
    'Comment=.' 'Comment\[ja\]=.'; do
    grep -q "^$key" "$root/usr/share/applications/honura.desktop" ||
        fail "desktop entry lacks $key"
done

# Width and height from a PNG's header.
png_size() {
    local f=$1
    [[ $(head -c 8 "$f" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || return 1
    echo "$(od -An -tu1 -j16 -N8 "$f" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')"
}
for size in 16 32 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/honura.png"
    got=$(png_size "$png") || fail "$png is not a PNG"
    [[ $got == "${size}x${size}" ]] || fail "$png is $got, not ${size}x${size}"
done

# --- Start ------------------------------------------------------------------
say "starting the unpacked program on a private X server"
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do
    [[ -s $scratch/display ]] && break
    sleep 0.1
done
[[ -s $scratch/display ]] || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
export DISPLAY=":$(head -n1 "$scratch/display")"
# Wait until the server answers before starting the program on it.
for _ in $(seq 50); do
    xprop -root >/dev/null 2>&1 && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb ended at start: $(cat "$scratch/xvfb.log")"
    sleep 0.1
done
xprop -root >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer: $(cat "$scratch/xvfb.log")"

mkdir -p "$scratch/home"
# A session bus address that leads nowhere keeps libdbus from autolaunching a
# bus that would outlive the check.
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY HOME="$scratch/home" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/no-bus" \
    XDG_CONFIG_HOME="$scratch/home/.config" XDG_RUNTIME_DIR="$scratch" \
    "$exe" >"$scratch/honura.log" 2>&1 &
app_pid=$!
wid=
for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended at start: $(cat "$scratch/honura.log")"
    wid=$(xdotool search --onlyvisible --pid "$app_pid" --name 'ホヌラ' 2>/dev/null | head -n1 || true)
    [[ -n $wid ]] && break
    sleep 0.1
done
[[ -n $wid ]] || fail "no board window within 10 s: $(cat "$scratch/honura.log")"
icon=$(xprop -id "$wid" _NET_WM_ICON)
[[ $icon == *'Icon ('* ]] || fail "the window carries no icon"
say "window $wid: $(xprop -id "$wid" WM_CLASS _NET_WM_NAME | tr '\n' ' ')"
say "OK"
