"""The settings file on a real X server: the board comes back where the user
left it, in the font the user chose; a renamed copy keeps a file of its own;
a refused second instance leaves the file alone; a board closed maximized
keeps its normal place; a place off every screen is brought back; an installed
program reads the file beside itself until the user has one."""

import os
import time

import harness
from harness import XSession, copy_program, extents, find, find_all, poll, text_of

TPP = 15  # twips per pixel at 96 DPI, as Xvfb reports
MINCHO = bytes.fromhex("826C8272 20826F96 BE92A9".replace(" ", ""))
DEFAULT_FILE = (b"[FONT]\r\nNAME=" + MINCHO + b"\r\nSIZE=16\r\nBOLD=True\r\nITALIC=False\r\n"
                b"[Form]\r\nTOP=0\r\nLEFT=0\r\nWIDTH=6945\r\nHEIGHT=5580\r\n")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def program(x, args, ini_bytes=None):
    """A copy of the program in a directory of its own, and the path of its
    settings file, written with ini_bytes when given."""
    bindir = x._dir("bin")
    exe = copy_program(args.exe, bindir)
    ini = os.path.join(bindir, "honura.ini")
    if ini_bytes is not None:
        write(ini, ini_bytes)
    return exe, ini


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def start(x, exe):
    p = x.launch(exe)
    app = x.app(p)
    frame = x.wait_for(lambda: find(app, "frame", "ホヌラ"), what="the board")
    wid = x.wait_for(lambda: x.toplevels(pid=p.pid, name="ホヌラ"), what="board window")[0]
    return p, app, frame, wid


def settle(x, wid, want=None):
    """Waits until the window's outer geometry stops changing (or equals want)."""
    last = [None]

    def steady():
        g = x.outer_geometry(wid)
        ok = g == want if want else g == last[0]
        last[0] = g
        return ok
    try:
        poll(steady, timeout=5, interval=0.2, what="a steady window")
    except TimeoutError:
        pass
    return x.outer_geometry(wid)


def quit_board(x, c, p, frame):
    x.click_center(find(frame, "menu item", "終了"))
    c.equal(x.wait_exit(p), 0, "exit status after 終了")


def font_dialog(x, app, frame):
    x.click_center(find(frame, "menu item", "字体"))
    return x.wait_for(lambda: find(app, "dialog"), what="the font dialog")


def dialog_fields(dlg):
    """Texts of the face, style and size fields of the font dialog, left to right."""
    fields = sorted(find_all(dlg, "text"), key=lambda a: (extents(a)[1], extents(a)[0]))
    return [text_of(a) for a in fields[:3]]


def maximize(x, wid):
    """Asks the window manager to maximize the window, as its maximize button does."""
    from Xlib import X, protocol
    d = x.xlib()
    w = d.create_resource_object("window", wid)
    state = d.intern_atom("_NET_WM_STATE")
    vert = d.intern_atom("_NET_WM_STATE_MAXIMIZED_VERT")
    horz = d.intern_atom("_NET_WM_STATE_MAXIMIZED_HORZ")
    ev = protocol.event.ClientMessage(window=w, client_type=state, data=(32, [1, vert, horz, 1, 0]))
    d.screen().root.send_event(ev, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
    d.flush()


def restore_place_size_font(args, c):
    with XSession(wm=True) as x:
        exe, ini = program(x, args)
        p, app, frame, wid = start(x, exe)
        c.equal(settle(x, wid), (0, 0, 463, 372), "first start: default place and size")
        c.check(not os.path.exists(ini), "no settings file before the first shut-down")

        # The font dialog offers face, style and size only, opened on the board font.
        dlg = font_dialog(x, app, frame)
        face, style, size = dialog_fields(dlg)
        c.equal((face, size), ("IPAPMincho", "16"), "dialog opens on the board font's face and size")
        c.check(find(dlg, "check box") is None, "no effects in the font dialog")
        c.check(find(dlg, "combo box") is None, "no writing system in the font dialog")
        x.click_center(find(dlg, "push button", "キャンセル"))
        x.wait_for(lambda: find(app, "dialog") is None, what="the dialog to close")

        # Choose DejaVu Serif, italic (斜体), 10.5 points.
        dlg = font_dialog(x, app, frame)
        x.xdotool("key", "--clearmodifiers", "alt+f")  # the face list, found by typing
        x.xdotool("type", "DejaVu Serif")
        x.wait_for(lambda: dialog_fields(dlg)[0] == "DejaVu Serif", what="DejaVu Serif found")
        x.click_center(find(dlg, "list item", "斜体"))
        size_box = sorted(find_all(dlg, "text"), key=lambda a: (extents(a)[1], extents(a)[0]))[2]
        x.click_center(size_box)
        x.xdotool("key", "--clearmodifiers", "ctrl+a")
        x.xdotool("type", "10.5")
        x.wait_for(lambda: dialog_fields(dlg)[2] == "10.5", what="size 10.5 typed")
        x.click_center(find(dlg, "push button", "OK"))
        x.wait_for(lambda: find(app, "dialog") is None, what="the dialog to close")
        c.check(not os.path.exists(ini), "a chosen font is not written before shut-down")

        # Move and resize, then quit.
        x.xdotool("windowmove", "--sync", wid, 120, 90, check=False)
        x.xdotool("windowsize", "--sync", wid, 560, 430, check=False)
        time.sleep(0.3)
        before = settle(x, wid)
        c.check(before[:2] != (0, 0) and before[2] > 463, f"window moved and resized ({before})")
        quit_board(x, c, p, frame)
        data = read(ini)
        ox, oy, ow, oh = before
        want = (b"[FONT]\r\nNAME=DejaVu Serif\r\nSIZE=10.5\r\nBOLD=False\r\nITALIC=True\r\n[Form]\r\n"
                + b"TOP=%d\r\nLEFT=%d\r\nWIDTH=%d\r\nHEIGHT=%d\r\n"
                % (oy * TPP, ox * TPP, ow * TPP, oh * TPP))
        c.equal(data, want, "settings file after the run")

        # Restart: same place, size and font.
        p, app, frame, wid = start(x, exe)
        c.equal(settle(x, wid, before), before, "restart: same place and size")
        dlg = font_dialog(x, app, frame)
        # (the size back as a whole number, as the file is read)
        c.equal(dialog_fields(dlg), ["DejaVu Serif", "斜体", "10"], "restart: same font")
        x.click_center(find(dlg, "push button", "キャンセル"))
        x.wait_for(lambda: find(app, "dialog") is None, what="the dialog to close")
        # A user's own lines survive the next save.
        with open(ini, "ab") as f:
            f.write(b"[Mine]\r\nNOTE=keep me\r\n")
        quit_board(x, c, p, frame)
        c.equal(read(ini), want.replace(b"SIZE=10.5", b"SIZE=10") + b"[Mine]\r\nNOTE=keep me\r\n",
                "foreign lines kept by the save")


def renamed_copy_and_second_instance(args, c):
    with XSession(wm=True) as x:
        exe, ini = program(x, args, DEFAULT_FILE.replace(b"TOP=0", b"TOP=1500")
                           .replace(b"LEFT=0", b"LEFT=3000"))
        bindir = os.path.dirname(exe)
        before = read(ini)
        mtime = os.stat(ini).st_mtime_ns

        p, app, frame, wid = start(x, exe)
        c.equal(settle(x, wid, (200, 100, 463, 372)), (200, 100, 463, 372), "place read from the file")

        # A second instance is refused before it reads or writes the file.
        second = x.launch(exe)
        app2 = x.app(second)
        ok = x.wait_for(lambda: find(app2, "push button", "OK"), what="the refusal message")
        harness.do_action(ok)
        code = x.wait_exit(second, 10)
        c.check(code is not None and code != 0, f"second instance ends (exit {code})")
        c.equal(read(ini), before, "second instance leaves the file's bytes")
        c.equal(os.stat(ini).st_mtime_ns, mtime, "second instance does not rewrite the file")

        # A renamed copy uses a file of its own name and starts from the defaults.
        copy = copy_program(args.exe, bindir, "honura-copy")
        q, app_q, frame_q, wid_q = start(x, copy)
        c.equal(settle(x, wid_q, (0, 0, 463, 372)), (0, 0, 463, 372), "renamed copy: default place")
        quit_board(x, c, q, frame_q)
        c.equal(read(os.path.join(bindir, "honura-copy.ini")), DEFAULT_FILE, "renamed copy's own file")
        c.equal(read(ini), before, "the original's file untouched by the copy")
        quit_board(x, c, p, frame)


def maximized_and_lost(args, c):
    with XSession(wm=True) as x:
        exe, ini = program(x, args, b"[Form]\r\nTOP=1500\r\nLEFT=3000\r\n")
        p, app, frame, wid = start(x, exe)
        normal = settle(x, wid, (200, 100, 463, 372))
        maximize(x, wid)
        poll(lambda: x.outer_geometry(wid)[3] > 600, what="the maximized window")
        settle(x, wid)
        quit_board(x, c, p, frame)
        data = read(ini)
        c.check(b"TOP=1500\r\nLEFT=3000\r\nWIDTH=6945\r\nHEIGHT=5580\r\n" in data,
                f"closed maximized: the normal geometry {normal} is saved ({data!r})")

        # A place off every screen comes back onto the screen.
        write(ini, b"[Form]\r\nTOP=-90000\r\nLEFT=600000\r\nWIDTH=6945\r\nHEIGHT=5580\r\n")
        p, app, frame, wid = start(x, exe)
        g = settle(x, wid)
        c.check(0 <= g[0] and g[0] + g[2] <= 1024 and 0 <= g[1] and g[1] + g[3] <= 768,
                f"board brought back onto the screen ({g})")
        quit_board(x, c, p, frame)


def installed_program(args, c):
    """A program in a folder the user may not write keeps the settings in the
    user's folder, and reads a file beside itself until the user has one."""
    with XSession(wm=True) as x:
        exe, beside = program(x, args, DEFAULT_FILE.replace(b"TOP=0", b"TOP=1500")
                              .replace(b"LEFT=0", b"LEFT=3000"))
        bindir = os.path.dirname(exe)
        if os.getuid() == 0:
            os.chown(bindir, 4242, 4242)  # another user's folder
        else:
            os.chmod(bindir, 0o555)
        before = read(beside)
        mine = os.path.join(x.env["XDG_CONFIG_HOME"], "honura", "honura.ini")
        p, app, frame, wid = start(x, exe)
        c.equal(settle(x, wid, (200, 100, 463, 372)), (200, 100, 463, 372),
                "read from beside the program while the user has no file")
        x.xdotool("windowmove", "--sync", wid, 300, 200, check=False)
        moved = settle(x, wid)
        quit_board(x, c, p, frame)
        c.equal(read(beside), before, "the file beside the program is left as it was")
        c.check(os.path.exists(mine) and b"LEFT=%d\r\n" % (moved[0] * TPP) in read(mine),
                "saved to the user's folder")
        p, app, frame, wid = start(x, exe)
        c.equal(settle(x, wid, moved), moved, "then read from the user's own file")
        quit_board(x, c, p, frame)
        os.chmod(bindir, 0o755)


def unusable_file(args, c):
    with XSession(wm=True) as x:
        junk = (b"\x00\xff\xfe garbage\r\n[FONT]\r\nNAME=\r\nSIZE=huge\r\nBOLD=perhaps\r\n"
                b"[Form]\r\nTOP=x\r\nLEFT=1e99\r\nWIDTH=-5\r\nHEIGHT=0\r\n[Other]\r\nK=\x82\xa0\r\n")
        exe, ini = program(x, args, junk)
        p, app, frame, wid = start(x, exe)
        c.equal(settle(x, wid, (0, 0, 463, 372)), (0, 0, 463, 372), "unusable values: defaults")
        quit_board(x, c, p, frame)
        data = read(ini)
        c.check(data.startswith(b"\x00\xff\xfe garbage\r\n[FONT]\r\nNAME=" + MINCHO + b"\r\nSIZE=16\r\n"),
                f"defaults written in place ({data[:60]!r})")
        c.check(data.endswith(b"[Other]\r\nK=\x82\xa0\r\n"), "other data kept")


if __name__ == "__main__":
    harness.run({
        "restore": restore_place_size_font,
        "instances": renamed_copy_and_second_instance,
        "maximized": maximized_and_lost,
        "unusable": unusable_file,
        "installed": installed_program,
    })
