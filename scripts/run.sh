#!/usr/bin/env bash
# Builds honura and runs it. Without a usable display it shows the board on a
# private virtual display, saves a screenshot and prints where.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build

cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHONURA_TESTS=OFF >/dev/null
cmake --build build-run

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec ./build-run/honura
fi

. scripts/xvfb.sh
start_private_display
trap stop_private_display EXIT
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d) && export XDG_RUNTIME_DIR
fi
echo "No display: showing the board on the private display $DISPLAY"
./build-run/honura &
app=$!
xdotool search --sync --onlyvisible --pid "$app" >/dev/null
sleep 1
mkdir -p out
shot="$PWD/out/board.png"
wid=$(xdotool search --onlyvisible --pid "$app" | head -n 1)
import -frame -window "$wid" "$shot"
echo "Screenshot of the board: $shot"
# Close it as a user would (the close box), so that it saves its settings.
xdotool windowactivate --sync "$wid" key alt+F4 || kill "$app"
wait "$app" || true
