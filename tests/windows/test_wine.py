"""honura.exe under Wine on a private X server, as a Windows user meets it: the
zip holds the exe, the read-me and the licence notes (which say where the
source of everything in the exe is), and is unpacked into a folder with a
Japanese name; the exe carries its version, company, copyright, icon and
manifest; the board opens with its caption, its 65 cells and its saved outer
rectangle; a second start is refused with the message; a double-click on the
torii confines the pointer to the board and a second one frees it; clicks
spell; the About window starts the system-information tool the registry
names; 字体 opens in the fonts of Wine's own Japanese set-up (the face of the
dialog's texts has no styles there) and refuses a size that is no number,
takes bold away and gives it back, and changes nothing on Cancel; 記録 has a
fixed frame with the close box only; the maximised board is laid out for its
real rectangle; closing it writes honura.ini beside the exe with its normal
place, byte for byte the file the Linux build writes. Then, under openbox,
the menu bar answers one click, also with the board moved under a held
button, and a stray Alt does not let Enter quit.
Screenshots go to out/windows/ (board.png, about.png, font.png, record.png,
maximised.png)."""

import argparse
import math
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from harness import Checker, poll  # noqa: E402
from test_board import MESSAGE, TABLE, expected_cells  # noqa: E402
from test_settings import DEFAULT_FILE  # noqa: E402
from wine import WineSession  # noqa: E402

ABOUT = "ホヌラのﾊﾞｰｼﾞｮﾝ情報"
FONT_DIALOG = "フォントの選択"
SYSINFO_BUTTON = (4260 + 1380 / 2, 3075 + 345 / 2)  # centre, twips from the client corner
GESTURE_GAP = 0.6  # longer than the double-click time: the next click starts afresh
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


# ---------------------------------------------------------------- pixels
def grab(w, rect):
    """The screen's pixels in rect (l, t, r, b): a function (x, y) -> (r, g, b)."""
    from Xlib import X
    left, top, right, bottom = rect
    img = w.xlib().screen().root.get_image(left, top, right - left, bottom - top, X.ZPixmap,
                                           0xFFFFFFFF)
    data, stride = img.data, (right - left) * 4

    def pixel(x, y):
        i = (y - top) * stride + (x - left) * 4
        return data[i + 2], data[i + 1], data[i]
    return pixel


def boxes(pixel, rect, test):
    """Bounding box (l, t, r, b) of the pixels in rect that pass test, or None."""
    hits = [(x, y) for y in range(rect[1], rect[3]) for x in range(rect[0], rect[2])
            if test(pixel(x, y))]
    if not hits:
        return None
    xs, ys = [p[0] for p in hits], [p[1] for p in hits]
    return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def dark(p):
    return sum(p) < 240


def red(p):
    return p[0] > 150 and p[1] < 90 and p[2] < 90


def menu_items(pixel, left, right, top, bottom):
    """Horizontal extents of the menu bar's captions, left to right."""
    cols = [x for x in range(left, right) if any(dark(pixel(x, y)) for y in range(top, bottom))]
    items = []
    for x in cols:
        if items and x - items[-1][1] <= 8:
            items[-1][1] = x
        else:
            items.append([x, x])
    return items


def value_when(fn, want, timeout=15):
    """fn() once it equals want, or its last value when it does not in time."""
    deadline = time.monotonic() + timeout
    while True:
        v = fn()
        if v == want or time.monotonic() > deadline:
            return v
        time.sleep(0.2)


def shoot(w, rect, path):
    l, t, r, b = (max(0, v) for v in rect)
    subprocess.run(["import", "-display", w.display, "-window", "root",
                    "-crop", f"{r - l}x{b - t}+{l}+{t}", "+repage", path], check=True)


def relative_moves_stay(w, r):
    """Relative motion (a mouse's) in eight directions from the middle of r ends inside r."""
    from Xlib import X
    from Xlib.ext import xtest
    d = w.xlib()
    escaped = []
    for dx, dy in ((1, 0), (1, 1), (0, 1), (-1, 1), (-1, 0), (-1, -1), (0, -1), (1, -1)):
        w.xdotool("mousemove", "--sync", (r[0] + r[2]) // 2, (r[1] + r[3]) // 2)
        xtest.fake_input(d, X.MotionNotify, detail=1, x=dx * 900, y=dy * 900)
        d.sync()
        time.sleep(0.1)
        p = w.pointer()
        if not (r[0] <= p[0] < r[2] and r[1] <= p[1] < r[3]):
            escaped.append(p)
    return escaped


# ---------------------------------------------------------------- parts of the walk
def check_notices(c, notices, version):
    """THIRD-PARTY-NOTICES.txt: UTF-8 with a byte-order mark and CR LF, and it
    says where the source of everything in the exe is."""
    c.check(notices.startswith(b"\xef\xbb\xbf") and b"\n" not in notices.replace(b"\r\n", b""),
            "notices in UTF-8 with a byte-order mark and CR LF line ends")
    text = " ".join(notices.decode("utf-8-sig").split())
    for want in ("https://brantle.example.net/ , tag v" + version, "scripts/build-windows.sh",
                 "qt6-base, version 6.4.2+dfsg-10", "src/3rdparty/wintab",
                 "packaging/windows/build-qt.sh", "qt6-translations 6.", "mingw-w64 "):
        c.check(want in text, f"the notices name {want!r}")
    c.check(re.search(r"@[A-Z_]+@", text) is None, "every field of the notices filled in")
    c.check(os.path.exists(os.path.join(ROOT, "packaging", "windows", "build-qt.sh")),
            "the script that built Qt is in the source")


def drawn(w, at):
    """The pixels of the 24 x 24 square centred at a point: how a cell is drawn."""
    l, t = at[0] - 12, at[1] - 12
    pixel = grab(w, (l, t, l + 24, t + 24))
    return tuple(pixel(x, y) for y in range(t, t + 24) for x in range(l, l + 24))


def gone(w, title):
    """Waits until no window has the title, for Windows and on the screen: Wine
    takes a while to take a closed window's pixels away."""
    poll(lambda: not [x for x in w.windows() if x.title == title] and not w.toplevels(name=title),
         what=f"{title} to close")


def steady(fn):
    """fn()'s value once two reads half a second apart agree: Wine draws what a
    closed window uncovers a little later."""
    last = fn()
    for _ in range(30):
        time.sleep(0.5)
        now = fn()
        if now == last:
            return now
        last = now
    return last


def menu_command(w, order, box):
    """Runs the menu command of that order (0: 終了) from the keyboard, the
    board given the keyboard by a click on its message box."""
    w.click(*box)
    w.xdotool("key", "F10", *["Right"] * order, "Return")


def font_dialog(c, w, out, cell, box):
    """字体 in Wine's default set-up, where the face of the dialog's own texts
    has no styles in the font list: a size refused, bold taken away and given
    back, Cancel."""
    def shown():
        return [x for x in w.windows() if x.title == FONT_DIALOG]

    def keys(*ks, typed=None):
        w.xdotool("key", *ks)
        if typed is not None:
            w.xdotool("type", typed)

    def opens():
        menu_command(w, 1, box)
        dlg = w.wait_window(FONT_DIALOG)[0]
        time.sleep(1.0)  # drawn and given the keyboard
        return dlg

    def closes():
        gone(w, FONT_DIALOG)

    c.check(w.wine("reg", "query", r"HKCU\Software\Wine\Fonts\Replacements").returncode != 0,
            "the prefix keeps Wine's own fonts: no face replaced")
    gone(w, ABOUT)
    before = steady(lambda: drawn(w, cell))
    dlg = opens()
    shoot(w, dlg.rect, os.path.join(out, "font.png"))
    # Letters for a size: OK (Enter) is refused.
    keys("alt+s", "ctrl+a", typed="abc")
    keys("Return")
    time.sleep(0.5)
    c.check(bool(shown()), "letters for a size: the dialog refuses OK and stays")
    # Regular, 10.5 points: the cells drawn anew.
    keys("ctrl+a", typed="10.5")
    keys("alt+y", "Home", "Return")
    closes()
    c.check(steady(lambda: drawn(w, cell)) != before, "regular, 10.5 points: drawn anew")
    # Bold (the third style) and 16 points: the board as it was.
    opens()
    keys("alt+y", "Home", "Down", "Down", "alt+s", "ctrl+a", typed="16")
    keys("Return")
    closes()
    c.check(steady(lambda: drawn(w, cell)) == before, "bold again: drawn as before")
    # Cancel changes nothing.
    opens()
    keys("alt+s", "ctrl+a", typed="40")
    keys("alt+y", "Home", "Escape")
    closes()
    c.check(steady(lambda: drawn(w, cell)) == before, "Cancel leaves the board as it was")


def record_window(c, w, out, board, box):
    """記録: a fixed frame with a caption and the close box only, owned by the board."""
    menu_command(w, 2, box)
    log = w.wait_window("記録")[0]
    time.sleep(0.5)
    shoot(w, log.rect, os.path.join(out, "record.png"))
    caption, sysmenu, sizable, minimise, maximise = 0xC00000, 0x80000, 0x40000, 0x20000, 0x10000
    c.equal(log.style & (caption | sysmenu | sizable | minimise | maximise), caption | sysmenu,
            f"record window: caption and close box, fixed, no minimise or maximise "
            f"(style {log.style:x})")
    c.equal(log.owner, board.hwnd, "the record window is the board's")
    close = (5880 + 1095 / 2, 3240 + 375 / 2)  # 閉じる, its centre in twips from the client corner
    w.click(log.client[0] + round(close[0] / 15), log.client[1] + round(close[1] / 15))
    gone(w, "記録")


def maximised(c, w, out, board):
    """A double-click on the caption maximises the board: it is laid out for the
    rectangle its window has now, the borders pushed off the screen included.
    (Without a window manager Wine leaves the X window at its old size: what
    is on the screen is the window's top left corner, which holds はい.)"""
    def yes_label(win):  # the box of はい from the window's corner, in pixels
        width, height = (win.rect[2] - win.rect[0]) * 15, (win.rect[3] - win.rect[1]) * 15
        col = math.floor((width - width * 0.05) / 11)
        left, top = math.floor(width * 0.25) - col, math.floor(height * 0.2)
        right, bottom = left + 2 * col, top + math.floor(height * 0.6 / 6)
        cx, cy = win.client[0] - win.rect[0], win.client[1] - win.rect[1]
        return tuple(math.floor(v / 15 + 0.5) + d for v, d in
                     ((left, cx), (top, cy), (right, cx), (bottom, cy)))

    def ink(win):  # its characters' ink, from the corner of the label's box
        box = yes_label(win)
        drawn = boxes(grab(w, box), box, dark)
        return drawn and (drawn[0] - box[0], drawn[1] - box[1])
    normal = ink(board)
    w.click((board.rect[0] + board.rect[2]) // 2, board.rect[1] + 10, repeat=2)
    big = poll(lambda: [x for x in w.windows() if x.title == "ホヌラ" and x.rect[2] > 900],
               what="the maximised board")[0]
    time.sleep(1.5)
    shoot(w, (0, 0) + board.rect[2:], os.path.join(out, "maximised.png"))
    c.check(normal is not None and value_when(lambda: ink(big), normal) == normal,
            f"maximised {big.rect}: はい where the window's rectangle puts it")


# ---------------------------------------------------------------- the scenario
def scenario(args, c, w):
    out = args.out
    os.makedirs(out, exist_ok=True)
    # The zip, unpacked where a user might put it.
    with zipfile.ZipFile(args.zip) as z:
        names = set(z.namelist())
        top = sorted(names)[0].split("/")[0]
        wanted = ["honura.exe", "README.txt", "THIRD-PARTY-NOTICES.txt"] + [
            f"licenses/{n}.txt" for n in ("LGPL-3.0-only", "GPL-3.0-only", "Qt-GPL-exception-1.0",
                                          "qt6-base", "qt6-translations", "mingw-w64", "gcc-runtime")]
        if os.path.exists(os.path.join(ROOT, "LICENSE")):
            wanted.append("LICENSE.txt")
        c.equal(sorted(names), sorted(f"{top}/{n}" for n in wanted), "files in the zip")
        readme = z.read(f"{top}/README.txt")
        c.check(readme.startswith(b"\xef\xbb\xbf") and b"\n" not in readme.replace(b"\r\n", b""),
                "read-me in UTF-8 with a byte-order mark and CR LF line ends")
        text = readme.decode("utf-8-sig")
        c.check("動かし方" in text and "Running it" in text, "read-me in Japanese and English")
        check_notices(c, z.read(f"{top}/THIRD-PARTY-NOTICES.txt"), top.split("-", 1)[1])
        z.extractall(w._dir("ホヌラ テスト"))
    folder = os.path.join(w.tmp, "ホヌラ テスト", top)
    exe = os.path.join(folder, "honura.exe")
    with open(exe, "rb") as a, open(args.exe, "rb") as b:
        c.check(a.read() == b.read(), "the zip holds the exe just built")
    tools = w._dir("tools")
    tool = os.path.join(tools, "MSINFO32.EXE")
    shutil.copy2(args.inspector, tool)
    w.reg_add(r"HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO", "PATH", "REG_SZ",
              w.windows_path(tool))

    # The exe as Explorer's Properties show it.
    facts = dict(line.split("=", 1) for line in w.inspect("version", w.windows_path(exe))
                 .splitlines() if "=" in line)
    c.equal(facts.get("fixed"), "1.0.0.1", "file version")
    c.equal(facts.get("ProductName"), "ホヌラ", "product name")
    with open(os.path.join(ROOT, "LICENSE"), encoding="utf-8") as f:
        copyright = next(line.strip() for line in f if line.startswith("Copyright "))
    c.equal((facts.get("CompanyName"), facts.get("LegalCopyright")),
            (copyright.split(" ", 2)[2], copyright), "company and copyright, as in the licence")
    c.check(int(facts.get("icons", 0)) >= 1, "the exe carries an icon")
    manifest = facts.get("manifest", "")
    for want in ('level="asInvoker"', "PerMonitorV2", 'name="Microsoft.Windows.Common-Controls" '
                 'version="6.0.0.0"'):
        c.check(want in " ".join(manifest.split()), f"manifest names {want}")

    board_proc = w.start_program(exe)
    board = w.wait_window("ホヌラ")[0]
    time.sleep(1.0)  # let it finish painting
    board = w.wait_window("ホヌラ")[0]
    xid = int(w.xdotool("search", "--name", "^ホヌラ$").split()[0])
    c.equal(w.xdotool("getwindowname", xid).strip(), "ホヌラ", "caption on the X side")
    c.equal(board.rect, (0, 0, 463, 372),
            "the saved place and size are the window's own, its whole frame included")

    # A second start shows the message and leaves; the board stays.
    second = w.start_program(exe)
    box = next(x for x in w.wait_window("ホヌラ", count=2) if x.pid != board.pid)
    c.check(box.rect != board.rect, "the refusal is a window of its own")
    w.click((box.client[0] + box.client[2]) // 2, box.client[1] + 8)
    w.xdotool("key", "ctrl+c")
    copied = value_when(lambda: MESSAGE in w.clipboard(), True)
    c.check(copied, f"refusal text on the clipboard: {w.clipboard()!r}")
    w.xdotool("key", "Return")
    c.equal(w.wait_exit(second, 20), 1, "second instance ends with status 1")
    c.check(board_proc.poll() is None, "the board keeps running")
    c.check(not os.path.exists(os.path.join(folder, "honura.ini")), "no settings file yet")

    # The board: screenshot, the torii, possession mode.
    shoot(w, board.rect, os.path.join(out, "board.png"))
    pixel = grab(w, board.client)
    torii = boxes(pixel, board.client, red)
    c.check(torii is not None, "the torii is on the board")
    tx, ty = (torii[0] + torii[2]) // 2, (torii[1] + torii[3]) // 2
    w.click(tx, ty, repeat=2)
    clip, screen = poll(lambda: (lambda r: r[0] != r[1] and r)(w.clip()), what="a clip rectangle")
    cl = board.client
    c.equal((clip[0], clip[2], clip[3]), (cl[0], cl[2], cl[3]),
            "clip: left, right and bottom of the client area")
    c.check(cl[1] < clip[1] < cl[1] + 60, f"clip: top below the menu bar ({clip}, {cl})")
    c.equal(relative_moves_stay(w, clip), [], "relative moves that left the board")

    # The 65 cells where the layout puts them, below the menu bar: ink in each
    # cell with a character, none in the blank ones.
    left, top = clip[0], clip[1]
    wrong = []
    for i, (l, t, cw, ch) in enumerate(expected_cells(6945, 5580)):
        r = (left + l + 1, top + t + 1, min(left + l + cw - 1, cl[2]), min(top + t + ch - 1, cl[3]))
        if (boxes(pixel, r, dark) is not None) != (TABLE[i] != "\0"):
            wrong.append((i, TABLE[i]))
    c.equal(wrong, [], "cells without their character in place")

    # Spelling: こ ん に ち は, read back from the message box.
    def centre(i):
        l, t, cw, ch = expected_cells(6945, 5580)[i]
        return left + l + cw // 2, top + t + ch // 3
    for i in (53, 0, 17, 18, 5):
        time.sleep(GESTURE_GAP)
        w.click(*centre(i))
    w.click((cl[0] + cl[2]) // 2, top + 12)
    w.xdotool("key", "ctrl+a", "ctrl+c")
    c.equal(value_when(w.clipboard, "こんにちは"), "こんにちは", "message spelled")

    # A click commits, a second double-click frees the pointer.
    time.sleep(GESTURE_GAP)
    w.click(tx, ty)
    time.sleep(GESTURE_GAP)
    w.click(tx, ty, repeat=2)
    c.equal(value_when(lambda: w.clip()[0], screen), screen, "clip after the second double-click")
    c.check(relative_moves_stay(w, clip) != [], "free again: relative moves leave the board")

    # About: the last caption of the menu bar; its button starts the tool.
    items = menu_items(pixel, cl[0], cl[2], cl[1] + 2, top - 2)
    c.equal(len(items), 4, "menu bar captions")
    w.click((items[-1][0] + items[-1][1]) // 2, (cl[1] + top) // 2)
    about = w.wait_window(ABOUT)[0]
    time.sleep(1.0)
    shoot(w, about.rect, os.path.join(out, "about.png"))
    bx, by = (round(v / 15) for v in SYSINFO_BUTTON)
    w.click(about.client[0] + bx, about.client[1] + by)
    record = os.path.join(tools, "started.txt")

    def started():
        # The tool creates the file before it writes its line: wait for the whole line.
        try:
            with open(record) as f:
                return f.read()
        except FileNotFoundError:
            return ""
    poll(lambda: started().endswith("\n"), what="the system-information tool to start")
    c.equal(started().split(), ["started", "show=1", "flags=1"], "started as a normal window")
    w.xdotool("key", "Escape")
    poll(lambda: not [x for x in w.windows() if x.title == ABOUT], what="About to close")

    box = ((cl[0] + cl[2]) // 2, top + 12)  # the message box
    font_dialog(c, w, out, centre(10), box)
    record_window(c, w, out, board, box)
    maximised(c, w, out, board)

    # Closing (the close box's request) writes the settings file, with the
    # normal place and size of the maximised board.
    w.close_request(xid)
    c.equal(w.wait_exit(board_proc, 30), 0, "exit status after closing")
    with open(os.path.join(folder, "honura.ini"), "rb") as f:
        c.equal(f.read(), DEFAULT_FILE, "honura.ini beside the exe")
    return top - cl[1]


# ---------------------------------------------------------------- the menu bar under openbox
def menu_bar_with_window_manager(args, c, w, bar_height):
    """The board under openbox, started from the settings file that a run
    closed by the window manager leaves (the board against the screen's top
    edge): one click on ホヌラについて opens the About window, also when the
    window manager moves the board while the button is held; after a stray Alt,
    a click on a cell ends the menu bar's keyboard mode, so Enter commits the
    message instead of quitting; a close request ends the program."""
    exe = shutil.copy2(args.exe, os.path.join(w._dir("openbox"), "honura.exe"))
    with open(os.path.join(os.path.dirname(exe), "honura.ini"), "wb") as f:
        f.write(DEFAULT_FILE.replace(b"LEFT=0", b"LEFT=15"))
    proc = w.start_program(exe)
    w.wait_window("ホヌラ")
    time.sleep(1.0)  # let it finish painting
    cl = w.wait_window("ホヌラ")[0].client
    items = menu_items(grab(w, cl), cl[0], cl[2], cl[1] + 2, cl[1] + bar_height - 2)
    c.equal(len(items), 4, "menu bar captions under openbox")
    w.click((items[-1][0] + items[-1][1]) // 2, cl[1] + bar_height // 2)
    opened = value_when(lambda: any(x.title == ABOUT for x in w.windows()), True, timeout=10)
    c.check(opened, "one click on ホヌラについて opens the About window under openbox")
    if opened:
        w.xdotool("key", "Escape")
        poll(lambda: not [x for x in w.windows() if x.title == ABOUT], what="About to close")
    # The window manager moves the board while the button is held on
    # ホヌラについて (as it does when it corrects a window's place after mapping
    # it): the pointer has not moved, so the release is still a click on it.
    xid = int(w.xdotool("search", "--name", "^ホヌラ$").split()[0])
    root = w.xlib().create_resource_object("window", xid).translate_coords(
        w.xlib().screen().root, 0, 0)
    time.sleep(GESTURE_GAP)
    w.xdotool("mousedown", 1)
    time.sleep(0.2)
    w.xdotool("windowmove", xid, -root.x, -root.y + 2 * bar_height)
    moved = value_when(lambda: w.wait_window("ホヌラ")[0].client[1] > cl[1] + bar_height, True)
    w.xdotool("mouseup", 1)
    c.check(moved, "the window manager moved the board while the button was held")
    opened = value_when(lambda: any(x.title == ABOUT for x in w.windows()), True, timeout=10)
    c.check(opened, "ホヌラについて opens the About window when the board moved under a held click")
    if opened:
        w.xdotool("key", "Escape")
        poll(lambda: not [x for x in w.windows() if x.title == ABOUT], what="About to close")
    cl = w.wait_window("ホヌラ")[0].client
    l, t, cw, ch = expected_cells(6945, 5580)[10]  # あ
    w.xdotool("key", "alt")
    w.click(cl[0] + l + cw // 2, cl[1] + bar_height + t + ch // 3)
    w.xdotool("key", "Return")
    if c.equal(w.wait_exit(proc, 3), None, "Enter after a stray Alt and a click leaves the board open"):
        w.close_request(int(w.xdotool("search", "--name", "^ホヌラ$").split()[0]))
        c.equal(w.wait_exit(proc, 30), 0, "exit status after a close request under openbox")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--exe", required=True)
    p.add_argument("--inspector", required=True)
    p.add_argument("--zip", required=True, help="the zip scripts/build-windows.sh packs")
    p.add_argument("--out", default=os.path.join(ROOT, "out", "windows"))
    args = p.parse_args()
    c = Checker("test_wine")

    def part(wm, fn, *more):
        with WineSession(args.inspector, wm=wm) as w:
            try:
                return fn(args, c, w, *more)
            except Exception as e:  # an unexpected error fails the test with its reason
                import traceback
                traceback.print_exc()
                c.check(False, f"unexpected {type(e).__name__}: {e}")
    # No window manager: Wine frames and places the windows itself, as Windows does.
    bar_height = part(False, scenario)
    if c.check(bar_height, "the menu bar's height measured"):
        part(True, menu_bar_with_window_manager, bar_height)
    sys.exit(c.finish())


if __name__ == "__main__":
    main()
