#!/usr/bin/env bash
# Builds honura with its benchmarks and prints the figures: start-up to first
# frame and peak memory against a bare Qt 6 window, the relayout of the board,
# the commit of a message into a growing record, the save of the settings
# (one write, flushed to disk, against the eight writes a save used to make),
# huge texts (a 10 MB paste into the message box, 記録 with 10 MB of record)
# against plain Qt text boxes; then the size of the Windows exe and zip and its
# start-up under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHONURA_TESTS=ON >/dev/null
cmake --build build
echo "== start-up"
/usr/bin/python3 scripts/bench_startup.py build 15
echo "== board operations"
./build/tests/bench/bench_ops
if [ -x build/tests/bench/bench_commit ]; then
    echo "== commits"
    ./build/tests/bench/bench_commit
fi
echo "== huge texts"
./build/tests/bench/bench_texts
echo "== Windows: sizes and start-up under Wine"
if scripts/build-windows.sh --bench --host-icons build/icons >/dev/null; then
    WINEPREFIX=$PWD/build-windows/wine-prefix /usr/bin/python3 scripts/bench_windows.py build-windows/build 10
else
    echo "the Windows build failed (run scripts/build-windows.sh --bench for the reason)"
fi
