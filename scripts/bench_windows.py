#!/usr/bin/python3
"""Windows benchmark: the size of honura.exe and of the zip, and the start-up
under Wine to the first painted window, the board against a bare Qt window
built with the same toolchain (tests/bench/bare_window.cpp), alternately, on a
private Xvfb. A start ends when white client area shows on the screen, which
is black before. Prints the medians and the ratio board / bare.

Usage: scripts/bench_windows.py <windows-build-dir> [runs]"""

import glob
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "windows"))
from wine import WINE, WineSession  # noqa: E402

LINES = (200, 500)  # every window 372 pixels high on a 768-pixel screen crosses one


def white_count(w):
    from Xlib import X
    root = w.xlib().screen().root
    n = 0
    for y in LINES:
        data = root.get_image(0, y, 1024, 1, X.ZPixmap, 0xFFFFFFFF).data
        n += sum(1 for i in range(0, len(data), 4) if data[i:i + 3] == b"\xff\xff\xff")
    return n


def one_run(w, exe):
    t0 = time.perf_counter()
    p = subprocess.Popen([WINE, exe], env=w.env, cwd=os.path.dirname(exe),
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while white_count(w) < 100:
        if p.poll() is not None:
            raise RuntimeError(f"{exe} ended early")
        time.sleep(0.002)
    t = time.perf_counter() - t0
    p.terminate()
    p.wait()
    while white_count(w) > 0:  # gone from the screen before the next start
        time.sleep(0.01)
    return t * 1000.0


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-windows", "build")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    exe = os.path.join(build, "honura.exe")
    zips = sorted(glob.glob(os.path.join(ROOT, "out", "honura-*-windows-x64.zip")))
    print(f"honura.exe {os.path.getsize(exe) / 2**20:.1f} MiB"
          + (f", {os.path.basename(zips[-1])} {os.path.getsize(zips[-1]) / 2**20:.1f} MiB"
             if zips else ""))
    with WineSession(None, wm=False) as w:
        board = os.path.join(w._dir("board"), "honura.exe")
        shutil.copy2(exe, board)
        bare = os.path.join(w._dir("bare"), "bare.exe")
        shutil.copy2(os.path.join(build, "tests", "bench", "bench_bare_window.exe"), bare)
        results = {"board": [], "bare": []}
        one_run(w, bare)  # Wine's first program pays for its desktop: not counted
        one_run(w, board)
        for _ in range(runs):
            results["bare"].append(one_run(w, bare))
            results["board"].append(one_run(w, board))
    med = {k: statistics.median(v) for k, v in results.items()}
    print(f"start-up to first painted window under Wine, {runs} runs each (median)")
    print(f"  bare Qt window : {med['bare']:8.1f} ms")
    print(f"  honura board   : {med['board']:8.1f} ms")
    print(f"  ratio {med['board'] / med['bare']:.3f}")


if __name__ == "__main__":
    main()
