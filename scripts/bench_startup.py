#!/usr/bin/python3
"""Start-up benchmark: the board against a bare Qt 6 window, alternately, on a
private Xvfb without a window manager. For each start it measures the time from
process start to the first painted frame (a pixel of the window's white client
area appears on the screen) and the peak resident memory, and prints the medians
and the ratios board / bare.

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
    return t * 1000.0, ru.ru_maxrss / 1024.0


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    tmp = tempfile.mkdtemp(prefix="honura-bench-")
    board = os.path.join(tmp, "honura")
    shutil.copy2(os.path.join(build, "honura"), board)
    bare = os.path.abspath(os.path.join(build, "tests", "bench", "bench_bare_window"))
    results = {"board": [], "bare": [], "text": []}
    with XSession(wm=False) as x:
        # A plain desktop session: no screen reader asking for the accessibility tree.
        for k in ("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "QT_ACCESSIBILITY"):
            x.env.pop(k, None)
        one_run(x, [bare], tmp)  # warm the caches once for both
        one_run(x, [board], tmp)
        for _ in range(runs):
            results["bare"].append(one_run(x, [bare], tmp))
            results["text"].append(one_run(x, [bare, "--text"], tmp))
            results["board"].append(one_run(x, [board], tmp))
            os.remove(os.path.join(tmp, "honura.ini")) if os.path.exists(
                os.path.join(tmp, "honura.ini")) else None
    shutil.rmtree(tmp, ignore_errors=True)

    med = {k: (statistics.median(t for t, _ in v), statistics.median(m for _, m in v))
           for k, v in results.items()}
    print(f"start-up to first frame, {runs} runs each (median)")
    print(f"  bare Qt window : {med['bare'][0]:8.1f} ms   peak RSS {med['bare'][1]:7.1f} MiB")
    print(f"  bare + 1 label : {med['text'][0]:8.1f} ms   peak RSS {med['text'][1]:7.1f} MiB")
    print(f"  honura board   : {med['board'][0]:8.1f} ms   peak RSS {med['board'][1]:7.1f} MiB")
    print(f"  ratio time {med['board'][0] / med['bare'][0]:.3f}   "
          f"ratio memory {med['board'][1] / med['bare'][1]:.3f}   (goal: both <= 1.15)")
    print(f"  against the window with one line of Japanese text: ratio time "
          f"{med['board'][0] / med['text'][0]:.3f}   ratio memory {med['board'][1] / med['text'][1]:.3f}")


if __name__ == "__main__":
    main()
