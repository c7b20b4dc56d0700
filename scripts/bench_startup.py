#!/usr/bin/python3
"""Start-up benchmark: the board against plain Qt 6 windows, alternately, on a
private Xvfb without a window manager. For each start it measures the time from
process start to the first painted frame (a pixel of the window's white client
area appears on the screen), the peak resident memory and the CPU time the
process used (less disturbed by other load on the machine than the time to the
first frame), and prints the medians and the ratios board / baseline.

The baseline of the goal is a plain window with a menu bar of four commands
and 67 kana labels in the default font (goal: time ratio <= 1.05, memory ratio
<= 1.10). Printed beside it: the same window with all of the board's contents
(a text box, a picture of the torii's size, the labels in the board's font,
16-point bold Mincho, a second font file with larger, emboldened glyphs that
any program showing the board pays for), an empty window, and one with a line
of Japanese text.

Usage: scripts/bench_startup.py <build-dir> [runs]"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
from harness import XSession  # noqa: E402

PROBE = (5, 100)  # a point of white client area in both windows


def white_at(d, x, y):
    from Xlib import X
    img = d.screen().root.get_image(x, y, 1, 1, X.ZPixmap, 0xFFFFFFFF)
    return img.data[:3] == b"\xff\xff\xff"


def one_run(x, argv, cwd):
    d = x.xlib()
    t0 = time.perf_counter()
    p = subprocess.Popen(argv, env=x.env, cwd=cwd, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
    while not white_at(d, *PROBE):
        if p.poll() is not None:
            raise RuntimeError(f"{argv[0]} ended early")
        time.sleep(0.0005)
    t = time.perf_counter() - t0
    time.sleep(0.4)  # let it settle, then take its peak memory
    p.terminate()
    _, _, ru = os.wait4(p.pid, 0)
    p.returncode = 0
    # Wait until the screen is black again before the next start.
    while white_at(d, *PROBE):
        time.sleep(0.005)
    return t * 1000.0, ru.ru_maxrss / 1024.0, (ru.ru_utime + ru.ru_stime) * 1000.0


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    tmp = tempfile.mkdtemp(prefix="honura-bench-")
    board = os.path.join(tmp, "honura")
    shutil.copy2(os.path.join(build, "honura"), board)
    bare = os.path.abspath(os.path.join(build, "tests", "bench", "bench_bare_window"))
    kinds = {"bare": [bare], "text": [bare, "--text"], "kana": [bare, "--kana"],
             "same": [bare, "--same"], "board": [board]}
    results = {k: [] for k in kinds}
    ini = os.path.join(tmp, "honura.ini")
    with XSession(wm=False) as x:
        # A plain desktop session: no screen reader asking for the accessibility tree.
        for k in ("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "QT_ACCESSIBILITY"):
            x.env.pop(k, None)
        for argv in kinds.values():  # warm the caches once for all
            one_run(x, argv, tmp)
        for _ in range(runs):
            for k, argv in kinds.items():
                results[k].append(one_run(x, argv, tmp))
                if os.path.exists(ini):
                    os.remove(ini)
    shutil.rmtree(tmp, ignore_errors=True)

    med = {k: [statistics.median(r[i] for r in v) for i in range(3)] for k, v in results.items()}
    names = {"bare": "empty Qt window", "text": "+ 1 line of text", "kana": "kana, default font",
             "same": "same contents", "board": "honura board"}
    print(f"start-up to first frame, {runs} runs each, alternated (median)")
    for k, name in names.items():
        print(f"  {name:18}: {med[k][0]:7.1f} ms   peak RSS {med[k][1]:6.1f} MiB   "
              f"CPU {med[k][2]:6.1f} ms")
    for k in ("same", "kana", "bare"):
        goal = "   (goal: time <= 1.05, memory <= 1.10)" if k == "kana" else ""
        print(f"  board / {names[k]:18}: time {med['board'][0] / med[k][0]:.3f}   "
              f"memory {med['board'][1] / med[k][1]:.3f}   CPU {med['board'][2] / med[k][2]:.3f}"
              f"{goal}")

if __name__ == "__main__":
    main()
