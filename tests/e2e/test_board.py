"""The board on a real X server: it opens, its cells stand where the layout
puts them on screen, a second instance is refused, and it closes from its menu
and its close box; with and without a window manager."""

import math
import os
import subprocess
import time

import harness
from harness import XSession, copy_program, extents, find, find_all, poll

TPP = 15.0  # twips per pixel at 96 DPI, as Xvfb reports
MESSAGE = "同時に複数のホヌラを呼び出すことはできません。"
TABLE = ("んわらやまはなたさかあ" "\0ゐり\0みひにちしきい" "\0うるゆむふぬつすくう"
         "\0ゑれ\0めへねてせけえ" "\0をろよもほのとそこお" "\0一二三四五六七八九")


def expected_cells(W, H):
    """Pixel boxes of the 65 cells relative to the client area for an outer
    size of W x H twips."""
    C = math.floor((W - W * 0.05) / 11)
    R = math.floor(H * 0.6 / 6)
    B = math.floor(H * 0.4)

    def px(t):
        return int(math.floor(t / TPP + 0.5))
    boxes = []
    for i in range(65):
        left, top = (i % 11) * C, math.floor(i / 11 - 1) * R + B
        boxes.append((px(left), px(top), px(left + C) - px(left), px(top + R) - px(top)))
    return boxes


def board_frame(x, app):
    return x.wait_for(lambda: find(app, "frame", "ホヌラ"), what="the board frame")


def cells_of(frame):
    labels = [a for a in find_all(frame, "label") if a.name != "はい" and a.name != "いいえ"]
    return labels


def check_layout(x, c, proc, frame, label):
    wid = x.wait_for(lambda: x.toplevels(pid=proc.pid, name="ホヌラ"), what="board window")[0]
    ox, oy, ow, oh = x.outer_geometry(wid)
    client = find(frame, "filler")
    cx, cy, cw, ch = extents(client)
    want = expected_cells(ow * TPP, oh * TPP)
    cells = cells_of(frame)
    # Blank cells are drawn but left out of the accessibility tree.
    c.equal(len(cells), 58, f"{label}: number of (non-blank) cells shown")
    # Cells are matched by place: each expected box must hold a cell with the
    # caption of the character table.
    placed = {}
    for a in cells:
        ax, ay, aw, ah = extents(a)
        placed[(ax - cx, ay - cy)] = (a.name, aw, ah)
    wrong = []
    for i, (l, t, w, h) in enumerate(want):
        got = placed.get((l, t))
        expect = TABLE[i].replace("\0", "")
        if expect and (got is None or got != (expect, w, h)):
            wrong.append((i, expect, (l, t, w, h), got))
    c.check(not wrong, f"{label}: cells off their places: {wrong[:4]}")
    return (ox, oy, ow, oh)


def window_icon(x, wid):
    """The window's _NET_WM_ICON: the sizes it holds, and its whole value."""
    d = x.xlib()
    prop = d.create_resource_object("window", wid).get_full_property(
        d.intern_atom("_NET_WM_ICON"), 0)
    value = list(prop.value) if prop else []
    sizes, i = [], 0
    while i + 1 < len(value):
        sizes.append((value[i], value[i + 1]))
        i += 2 + value[i] * value[i + 1]
    return sizes, value


def check_second_instance(x, c, exe, first, board_icon):
    second = x.launch(exe)
    app2 = x.app(second)
    alert = x.wait_for(lambda: find(app2, "alert") or find(app2, "dialog"),
                       what="the refusal message")
    refusal = x.wait_for(lambda: x.toplevels(pid=second.pid), what="the refusal's window")[0]
    c.check(window_icon(x, refusal)[1] == board_icon, "the refusal shows the program icon")
    texts = [a.name for a in harness.walk(alert)]
    c.check(any(MESSAGE in (t or "") for t in texts), f"refusal text shown ({texts})")
    c.equal(alert.name, "ホヌラ", "title of the refusal message")
    c.check(not find(app2, "frame", "ホヌラ"), "second instance shows no board")
    c.check(find(alert, "push button", "OK") is not None, "refusal has an OK button")
    x.click_center(find(alert, "push button", "OK"))
    code = x.wait_exit(second, 10)
    c.check(code is not None and code != 0, f"second instance ends after OK (exit {code})")
    c.check(first.poll() is None, "first instance keeps running")


def with_window_manager(args, c):
    with XSession(wm=True) as x:
        exe = copy_program(args.exe, x._dir("bin"))
        p = x.launch(exe, args=["--unknown", "-platform", "offscreen", "file.txt"])
        app = x.app(p)
        frame = board_frame(x, app)
        time.sleep(0.3)
        wid = x.toplevels(pid=p.pid, name="ホヌラ")
        c.equal(len(wid), 1, "arguments ignored: one board window on the X server")
        geo = check_layout(x, c, p, frame, "default size")
        sizes, icon = window_icon(x, wid[0])
        c.equal(sizes, [(16, 16), (32, 32), (48, 48), (64, 64), (128, 128), (256, 256)],
                "renderings of the program icon on the board")
        c.equal(geo, (0, 0, 463, 372), "default outer geometry (6945 x 5580 twips at 0, 0)")
        menu = sorted(find_all(frame, "menu item"), key=lambda a: extents(a)[0])
        c.equal([m.name for m in menu], ["終了", "字体", "記録", "ホヌラについて"], "menu bar")
        c.check(find(frame, "image", "鳥居") is not None, "torii is accessible as 鳥居")
        c.equal(extents(find(frame, "image", "鳥居"))[2:], (70, 54), "torii size")
        import pyatspi
        c.check(find(frame, "text").getState().contains(pyatspi.STATE_FOCUSED),
                "message box has the focus")
        shot = x.screenshot(os.path.join(x.tmp, "board.png"))
        c.check(os.path.getsize(shot) > 0, "screenshot taken")

        # Resize (width and height) and check the cells again.
        x.xdotool("windowsize", "--sync", wid[0], 700, 560)
        poll(lambda: x.outer_geometry(wid[0])[2] > 600, what="resized window")
        time.sleep(0.3)
        check_layout(x, c, p, frame, "after resize")

        check_second_instance(x, c, exe, p, icon)

        # A renamed copy is another program and runs beside the first.
        other = x.launch(copy_program(args.exe, x._dir("bin"), "honura-copy"))
        c.check(board_frame(x, x.app(other)) is not None, "a renamed copy runs side by side")
        other.kill()

        # "終了" ends the program.
        x.click_center(find(frame, "menu item", "終了"))
        c.equal(x.wait_exit(p), 0, "exit status after 終了")

        # The close box (the window manager's close request, Alt+F4 in openbox).
        p = x.launch(exe)
        board_frame(x, x.app(p))
        wid = x.wait_for(lambda: x.toplevels(pid=p.pid, name="ホヌラ"), what="board")[0]
        x.xdotool("windowactivate", "--sync", wid, check=False)
        x.xdotool("key", "--clearmodifiers", "alt+F4")
        c.equal(x.wait_exit(p), 0, "exit status after the close box")

        # A killed instance does not block the next start.
        p = x.launch(exe)
        board_frame(x, x.app(p))
        p.kill()
        p.wait()
        p = x.launch(exe)
        c.check(board_frame(x, x.app(p)) is not None, "starts after a killed instance")
        p.kill()
        p.wait()

        # Two started at the same moment leave exactly one board.
        a, b = x.launch(exe), x.launch(exe)
        time.sleep(3)
        boards = [q for q in (a, b) if q.poll() is None and find(x.app(q), "frame", "ホヌラ")]
        loser = [q for q in (a, b) if q not in boards]
        c.equal(len(boards), 1, "one board after two simultaneous starts")
        for q in loser:
            ok = x.wait_for(lambda: find(x.app(q), "push button", "OK"), what="OK button")
            harness.do_action(ok)
            c.check(x.wait_exit(q, 10) not in (None, 0), "the other start ends after OK")


def without_window_manager(args, c):
    with XSession(wm=False) as x:
        exe = copy_program(args.exe, x._dir("bin"))
        p = x.launch(exe)
        frame = board_frame(x, x.app(p))
        time.sleep(0.3)
        geo = check_layout(x, c, p, frame, "no window manager")
        c.equal(geo, (0, 0, 463, 372), "outer geometry without a window manager")
        # The keyboard's visit to the menu bar: after F10 and Esc the keys go
        # to the message box again; after a stray Alt, a click on a cell ends
        # the visit, so that Enter commits instead of quitting.
        box = find(frame, "text")
        bx, by, bw, bh = extents(box)
        x.xdotool("mousemove", "--sync", bx + bw // 2, by + bh // 2)  # keys go where it points
        x.xdotool("key", "F10", "Escape")
        x.xdotool("type", "ab")
        c.check(poll(lambda: harness.text_of(box) == "ab", what="typing after F10, Esc"),
                "keys reach the message box after F10, Esc")
        x.xdotool("key", "alt")
        x.click_center(find(frame, "label", "あ"))
        poll(lambda: harness.text_of(box) == "abあ", what="the cell's character")
        x.xdotool("key", "Return")
        poll(lambda: harness.text_of(box) == "", what="Enter to commit")
        c.check(p.poll() is None, "Enter after Alt and a click leaves the board open")
        wid = x.toplevels(pid=p.pid, name="ホヌラ")[0]
        x.close_request(wid)
        c.equal(x.wait_exit(p), 0, "exit status after a close request")


def without_display(args, c):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
    for display, platform in ((None, None), (":987", None), (":987", "xcb")):
        e = dict(env)
        if display:
            e["DISPLAY"] = display
        if platform:
            e["QT_QPA_PLATFORM"] = platform
        r = subprocess.run([args.exe], env=e, capture_output=True, text=True, timeout=30)
        lines = [l for l in r.stderr.splitlines() if l.strip()]
        c.check(r.returncode > 0, f"non-zero exit without display {display} ({r.returncode})")
        c.equal(len(lines), 1, f"one line on stderr without display {display}: {lines}")


def at_scale_two(args, c):
    """At a scale factor of 2 the board keeps its layout in logical pixels, so
    on screen every place and size doubles, and the pixel art is drawn sharp.
    (The accessibility tree reports logical pixels.)"""
    with XSession(wm=True, size=(1280, 960), scale=2) as x:
        exe = copy_program(args.exe, x._dir("bin"))
        p = x.launch(exe)
        frame = board_frame(x, x.app(p))
        time.sleep(0.5)
        wid = x.toplevels(pid=p.pid, name="ホヌラ")[0]
        ox, oy, ow, oh = x.outer_geometry(wid)
        c.check(abs(ow - 926) <= 2 and abs(oh - 744) <= 2,
                f"outer size doubles at scale 2: {ow} x {oh}")
        client = find(frame, "filler")
        cx, cy, _, _ = extents(client)
        want = expected_cells(6945, 5580)
        cells = {(extents(a)[0] - cx, extents(a)[1] - cy): a.name for a in cells_of(frame)}
        misplaced = [i for i, (l, t, w, h) in enumerate(want)
                     if TABLE[i] != "\0" and cells.get((l, t)) != TABLE[i]]
        c.check(not misplaced, f"cells at their logical places: misplaced {misplaced[:5]}")
        tx, ty, tw, th = extents(find(frame, "image", "鳥居"))
        c.equal((tw, th), (70, 54), "torii keeps its logical size")
        shot = x.screenshot(os.path.join(x.tmp, "scale2.png"))
        crop = f"{2 * tw}x{2 * th}+{2 * tx}+{2 * ty}"
        out = subprocess.run(["convert", shot, "-crop", crop, "-unique-colors", "txt:-"],
                             capture_output=True, text=True, check=True).stdout
        colours = [l for l in out.splitlines() if not l.startswith("#")]
        c.check(0 < len(colours) <= 40, f"torii drawn sharp, not smoothed: {len(colours)} colours")
        c.check(any("#FFFFFF" in l for l in colours) and len(colours) > 3,
                "the torii is on screen at twice its size")
        p.kill()


if __name__ == "__main__":
    harness.run({"no-display": without_display, "openbox": with_window_manager,
                 "bare-x": without_window_manager, "scale-2": at_scale_two})
