"""The séance on a real X server with real input: spelling and committing by
XTest clicks on the cells and the torii, possession mode entered and left by
double-clicks, the pointer held in the board's client area, exactly, under a
window manager with uneven frames: against relative motion in every
direction (also while a menu or the record window is open), and brought back
after absolute motion and warps,
the possession cursor as the server shows it, the record read back through
the accessibility tree, and no way of ending the program that leaves the
pointer held."""

import math
import signal
import time

import harness
from harness import XSession, copy_program, extents, find, find_all, poll, text_of

TPP = 15.0
ABOUT = "ホヌラのﾊﾞｰｼﾞｮﾝ情報"
GESTURE_GAP = 0.5  # longer than the double-click time: the next click starts afresh


# ---------------------------------------------------------------- helpers
def confinement(frame, scale=1):
    """The rectangle (left, top, right, bottom; right and bottom exclusive):
    the client area below the menu bar, exactly, whatever the window manager's
    frame. The accessibility tree reports logical pixels, X screen pixels."""
    fx, fy, fw, fh = extents(find(frame, "filler"))
    return tuple(scale * v for v in (fx, fy, fx + fw, fy + fh))


def frame_extents(x, wid):
    d = x.xlib()
    w = d.create_resource_object("window", wid)
    return list(w.get_full_property(d.intern_atom("_NET_FRAME_EXTENTS"), 0).value)


def client_window_rect(x, wid):
    """The board's X window (menu bar and client area) on screen, as a rectangle."""
    d = x.xlib()
    w = d.create_resource_object("window", wid)
    g = w.get_geometry()
    pos = w.translate_coords(d.screen().root, 0, 0)
    return -pos.x, -pos.y, -pos.x + g.width, -pos.y + g.height


def inside(p, r):
    return r[0] <= p[0] < r[2] and r[1] <= p[1] < r[3]


def rel(x, dx, dy):
    """Relative motion through XTest, as a mouse makes it."""
    from Xlib import X
    from Xlib.ext import xtest
    d = x.xlib()
    xtest.fake_input(d, X.MotionNotify, detail=1, x=dx, y=dy)
    d.sync()
    return x.pointer()


def warp(x, px, py):
    """Absolute motion, which no confinement stops."""
    from Xlib import X
    from Xlib.ext import xtest
    d = x.xlib()
    xtest.fake_input(d, X.MotionNotify, detail=0, root=d.screen().root, x=px, y=py)
    d.sync()


def check_held(x, c, r, label):
    """Relative motion in sixteen directions and three lengths, from the middle
    of the rectangle and from just inside each corner, never leaves it, nor
    does a second motion from wherever the first stopped; long pushes stop on
    its edges."""
    mid = ((r[0] + r[2]) // 2, (r[1] + r[3]) // 2)
    starts = [mid, (r[0] + 3, r[1] + 3), (r[2] - 4, r[1] + 3), (r[0] + 3, r[3] - 4),
              (r[2] - 4, r[3] - 4)]
    escaped = []
    for start in starts:
        for k in range(16):
            a = 2 * math.pi * k / 16
            for length in (37, 420, 5000):
                dx, dy = round(length * math.cos(a)), round(length * math.sin(a))
                warp(x, *start)
                for move in (1, 2):
                    p = rel(x, dx, dy)
                    if not inside(p, r):
                        escaped.append((start, (dx, dy), move, p))
    c.check(not escaped, f"{label}: pointer left {r} ({len(escaped)} times): {escaped[:3]}")
    warp(x, *mid)
    edges = (rel(x, -5000, 0)[0], rel(x, 0, -5000)[1], rel(x, 5000, 0)[0], rel(x, 0, 5000)[1])
    c.equal(edges, (r[0], r[1], r[2] - 1, r[3] - 1), f"{label}: edges the pointer stops on")
    warp(x, *mid)


def check_jumps_undone(x, c, r, label):
    """Absolute motion (a tablet, a virtual machine's pointer) and a warp by
    another program pass the barriers; the pointer comes back at once to the
    rectangle's nearest point."""
    from Xlib import X
    root = x.xlib().screen().root
    jumps = [((r[2] + 300, r[3] + 200), (r[2] - 1, r[3] - 1), "absolute motion"),
             ((r[0] + 10, max(r[1] - 30, 0)), (r[0] + 10, r[1]), "a warp")]
    for target, nearest, how in jumps:
        if how == "a warp":
            root.warp_pointer(*target)
            x.xlib().sync()
        else:
            x.xdotool("mousemove", *target)
        try:
            poll(lambda: x.pointer() == nearest, timeout=5, what="the pointer back")
        except TimeoutError:
            pass
        c.equal(x.pointer(), nearest, f"{label}: {how} to {target} undone")
    warp(x, (r[0] + r[2]) // 2, (r[1] + r[3]) // 2)


def windows_of_other_programs(x, r):
    """Windows of other programs: one on the middle of the board (a
    notification, say) and one under everything, covering the screen (a
    desktop's icons). Over them the program hears nothing of the pointer."""
    from Xlib import X
    d = x.xlib()
    screen = d.screen()
    cx, cy = (r[0] + r[2]) // 2, (r[1] + r[3]) // 2
    made = []
    for gx, gy, gw, gh, stack in ((0, 0, screen.width_in_pixels, screen.height_in_pixels, X.Below),
                                  (cx - 50, cy - 50, 100, 100, X.Above)):
        w = screen.root.create_window(gx, gy, gw, gh, 0, screen.root_depth, override_redirect=True,
                                      background_pixel=screen.white_pixel)
        w.configure(stack_mode=stack)
        w.map()
        made.append(w)
    d.sync()
    return made


def check_free(x, c, r, label):
    mid = ((r[0] + r[2]) // 2, (r[1] + r[3]) // 2)
    warp(x, *mid)
    out = [rel(x, 3000, 3000), None]
    warp(x, *mid)
    out[1] = rel(x, -3000, -3000)
    c.check(not inside(out[0], r) and not inside(out[1], r),
            f"{label}: pointer leaves {r} freely ({out})")


def cursor_image(x):
    d = x.xlib()
    d.xfixes_query_version()
    ci = d.xfixes_get_cursor_image(d.screen().root)
    return ci.width, ci.height, ci.xhot, ci.yhot


POSSESSION_CURSOR = (32, 32, 12, 1)


def centre(acc):
    ax, ay, aw, ah = extents(acc)
    return ax + aw // 2, ay + ah // 2


def click(x, acc, repeat=1):
    """Real clicks through XTest at the control's place on screen."""
    px, py = centre(acc)
    x.xdotool("mousemove", "--sync", px, py)
    x.xdotool("click", "--repeat", repeat, "--delay", 60, 1)
    time.sleep(GESTURE_GAP)


def windows(x, p):
    """The program's mapped windows, popup menus (which carry no name) included."""
    out = x.xdotool("search", "--all", "--onlyvisible", "--pid", p.pid, "--name", "", check=False)
    return [int(w) for w in out.split()]


def cell(frame, caption):
    return find(frame, "label", caption)


def message(frame):
    return text_of(find(frame, "text", "メッセージ"))


def start_board(x, exe, geometry=None):
    p = x.launch(exe)
    frame = x.wait_for(lambda: find(x.app(p), "frame", "ホヌラ"), what="the board")
    wid = x.wait_for(lambda: x.toplevels(pid=p.pid, name="ホヌラ"), what="board window")[0]
    if geometry:
        x.xdotool("windowmove", "--sync", wid, geometry[0], geometry[1])
        x.xdotool("windowsize", "--sync", wid, geometry[2], geometry[3])
    time.sleep(0.5)
    return p, frame, wid


def shown_record(x, p):
    """The record window's accessible, while it is shown."""
    import pyatspi
    app = x.app(p)
    for i in range(app.childCount):
        w = app.getChildAtIndex(i)
        if w is not None and w.name == "記録" and w.getState().contains(pyatspi.STATE_SHOWING):
            return w
    return None


def record_window(x, p):
    return x.wait_for(lambda: shown_record(x, p), what="the record window")


MENU = ["終了", "字体", "記録", "ホヌラについて"]


def menu_command(x, name):
    """A command of the menu bar by the keyboard: the menu bar lies outside
    the confinement, where the pointer cannot go in possession mode."""
    x.xdotool("key", "F10")
    x.xdotool("key", *["Right"] * MENU.index(name), "Return")
    time.sleep(GESTURE_GAP)


def open_record(x, p):
    menu_command(x, "記録")
    return record_window(x, p)


def record_text(log):
    return text_of(find(log, "text"))


# ---------------------------------------------------------------- scenarios
def seance(args, c):
    with XSession(wm=True) as x:
        exe = copy_program(args.exe, x._dir("bin"))
        # A board large enough that the record window, centred on the screen,
        # lies inside its client area.
        p, frame, wid = start_board(x, exe, (90, 60, 840, 640))
        torii = find(frame, "image", "鳥居")

        click(x, cell(frame, "あ"))
        click(x, cell(frame, "い"))
        c.equal(message(frame), "あい", "spelled in normal mode")
        c.check(cursor_image(x) != POSSESSION_CURSOR, "ordinary cursor before the mode")

        # Double-click into the mode: the click commits, the double-click toggles.
        click(x, torii, repeat=2)
        c.equal(message(frame), "", "message box emptied on entering the mode")
        c.check(shown_record(x, p) is None, "a commit never shows the record")
        c.equal(cursor_image(x), POSSESSION_CURSOR, "possession cursor over the torii")
        # Openbox draws a thicker bottom border than side borders: the pointer
        # reaches the client area's top row and never the bottom border.
        left, right, top, bottom = frame_extents(x, wid)
        c.check(bottom > left == right, f"uneven frame ({left}, {right}, {top}, {bottom})")
        r = confinement(frame)
        check_held(x, c, r, "possession mode")
        check_jumps_undone(x, c, r, "possession mode")
        others = windows_of_other_programs(x, r)
        check_jumps_undone(x, c, r, "over another program's window")
        for w in others:
            w.destroy()
        x.xlib().sync()
        warp(x, *centre(cell(frame, "ん")))
        c.equal(cursor_image(x), POSSESSION_CURSOR, "possession cursor over a cell")

        click(x, cell(frame, "う"))
        click(x, torii)
        c.equal(message(frame), "", "committed by a click on the torii")
        click(x, cell(frame, "い"), repeat=3)
        click(x, cell(frame, "は"), repeat=2)
        c.equal(message(frame), "いいは", "three quick clicks add twice, two once")
        click(x, find(frame, "label", "はい"))
        click(x, torii)

        # A context menu of the message box leaves the confinement in force.
        box = find(frame, "text", "メッセージ")
        bx, by = centre(box)
        by = max(by, r[1] + 2)
        warp(x, bx, by)
        x.xdotool("click", 3)
        x.wait_for(lambda: len(windows(x, p)) == 2, what="the context menu")
        check_held(x, c, r, "context menu open")
        x.xdotool("key", "Escape")
        poll(lambda: len(windows(x, p)) == 1, what="the context menu to close")
        check_held(x, c, r, "after the context menu")

        # The record window over the possessed board: usable inside the rectangle.
        log = open_record(x, p)
        warp(x, (r[0] + r[2]) // 2, (r[1] + r[3]) // 2)
        c.equal(record_text(log), "あい\nう\nいいは\n", "record read back")
        lw = x.wait_for(lambda: x.toplevels(pid=p.pid, name="記録"), what="record window")[0]
        lx, ly, lw_, lh = x.outer_geometry(lw)
        c.check(abs(lx + lw_ / 2 - 512) <= 1 and abs(ly + lh / 2 - 384) <= 1,
                f"record window centred on the screen ({lx}, {ly}, {lw_}, {lh})")
        c.equal(cursor_image(x), POSSESSION_CURSOR, "possession cursor over the record window")
        check_held(x, c, r, "record window shown")
        erase = find(log, "push button", "消\u3000去")
        close = find(log, "push button", "閉じる")
        c.check(inside(centre(erase), r) and inside(centre(close), r), "buttons inside the rectangle")
        # Enter and Escape press neither button.
        x.xdotool("key", "Return", "Escape")
        time.sleep(0.3)
        c.check(shown_record(x, p) is not None, "Enter and Escape keep it open")
        # The text box shows the record from its start, with the cursor there.
        c.equal(record_text(log), "\nあい\nう\nいいは\n", "Enter made a line break")
        click(x, close)
        poll(lambda: shown_record(x, p) is None, what="the record window to hide")
        check_held(x, c, r, "after the record window")

        # So does the About window, and the confinement outlasts it.
        menu_command(x, "ホヌラについて")
        about = x.wait_for(lambda: find(x.app(p), "dialog", ABOUT), what="the About window")
        warp(x, *centre(about))
        c.equal(cursor_image(x), POSSESSION_CURSOR, "possession cursor over the About window")
        check_held(x, c, r, "About window shown")
        check_jumps_undone(x, c, r, "About window shown")
        x.xdotool("key", "Escape")
        poll(lambda: find(x.app(p), "dialog", ABOUT) is None, what="the About window to close")
        check_held(x, c, r, "after the About window")

        # And the font dialog: cancelled, it leaves the confinement in force.
        menu_command(x, "字体")
        fontdlg = x.wait_for(lambda: find(x.app(p), "dialog"), what="the font dialog")
        fx, fy, fw, fh = harness.extents(fontdlg)
        warp(x, min(max(fx + 20, r[0] + 1), r[2] - 2), min(max(fy + 40, r[1] + 1), r[3] - 2))
        c.equal(cursor_image(x), POSSESSION_CURSOR, "possession cursor over the font dialog")
        check_held(x, c, r, "font dialog shown")
        x.xdotool("key", "Escape")
        poll(lambda: find(x.app(p), "dialog") is None, what="the font dialog to close")
        check_held(x, c, r, "after the font dialog")

        # Double-click out of the mode with え pending.
        click(x, cell(frame, "え"))
        click(x, torii, repeat=2)
        c.equal(message(frame), "", "message box after leaving the mode")
        warp(x, *centre(cell(frame, "ん")))
        c.check(cursor_image(x) != POSSESSION_CURSOR, "ordinary cursor after the mode")
        check_free(x, c, r, "normal mode")
        beyond = ((r[2] + 1024) // 2, (r[3] + 768) // 2)  # between the board and the screen's corner
        x.xdotool("mousemove", *beyond)
        time.sleep(0.3)
        c.equal(x.pointer(), beyond, "normal mode: absolute motion goes anywhere")

        log = open_record(x, p)
        c.equal(record_text(log), "\nあい\nう\nいいは\nえ\n", "record after leaving the mode")
        ax, ay, _, _ = x.outer_geometry(x.toplevels(pid=p.pid, name="記録")[0])
        c.equal((ax, ay), (lx, ly), "hidden and shown again at the same place")
        click(x, find(log, "push button", "消\u3000去"))
        c.equal(record_text(log), "", "erased")
        x.close_request(x.toplevels(pid=p.pid, name="記録")[0])  # the close box
        poll(lambda: shown_record(x, p) is None, what="the record window to close")

        # Into the mode again and quit from the menu: the pointer is free.
        click(x, torii, repeat=2)
        check_held(x, c, r, "second possession")
        menu_command(x, "終了")
        c.equal(x.wait_exit(p), 0, "exit status after 終了 in possession mode")
        check_free(x, c, r, "after 終了")


def endings(args, c):
    """No ending of the program leaves the pointer held."""
    with XSession(wm=True) as x:
        exe = copy_program(args.exe, x._dir("bin"))
        for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGKILL, signal.SIGSEGV, None):
            name = sig.name if sig else "close box"
            p, frame, wid = start_board(x, exe)
            click(x, find(frame, "image", "鳥居"), repeat=2)
            r = confinement(frame)
            warp(x, (r[0] + r[2]) // 2, (r[1] + r[3]) // 2)
            p_in = rel(x, 3000, 0)
            c.equal(p_in[0], r[2] - 1, f"{name}: held before")
            if sig:
                p.send_signal(sig)
            else:
                x.close_request(wid)
            c.check(x.wait_exit(p) is not None, f"{name}: program ended")
            check_free(x, c, r, name)


def at_scale_two(args, c):
    """At a scale factor of 2 the rectangle is worked out in logical pixels, as
    the window sees itself, and confines the pointer to twice that on screen."""
    with XSession(wm=True, size=(1280, 960), scale=2) as x:
        exe = copy_program(args.exe, x._dir("bin"))
        p, frame, wid = start_board(x, exe)
        r = confinement(frame, scale=2)
        tx, ty = centre(find(frame, "image", "鳥居"))
        x.xdotool("mousemove", "--sync", 2 * tx, 2 * ty)
        x.xdotool("click", "--repeat", 2, "--delay", 60, 1)
        time.sleep(GESTURE_GAP)
        c.equal(cursor_image(x)[:2], (64, 64), "possession cursor drawn at twice its size")
        check_held(x, c, r, "scale 2")
        p.kill()


def cpu_seconds(pid):
    """The processor time the process has used so far."""
    import os
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def set_screen(x, size):
    """Resizes the screen, its output off while it is smaller than the output's mode."""
    from Xlib.ext import randr
    d = x.xlib()
    root = d.screen().root
    res = root.xrandr_get_screen_resources()
    crtc = res.crtcs[0]
    if size == x.size:
        root.xrandr_set_screen_size(size[0], size[1], 260, 195)
        d.xrandr_set_crtc_config(crtc, res.config_timestamp, 0, 0, res.modes[0].id,
                                 randr.Rotate_0, res.outputs[:1])
    else:
        d.xrandr_set_crtc_config(crtc, res.config_timestamp, 0, 0, 0, randr.Rotate_0, [])
        root.xrandr_set_screen_size(size[0], size[1], 180, 130)
    d.sync()
    poll(lambda: root.get_geometry().width == size[0], what=f"the screen at {size}")


def held_where_on_screen(x, c, r, screen, label):
    """The pointer is held in the part of r on the screen, or free where none
    of r is on it."""
    v = (max(r[0], 0), max(r[1], 0), min(r[2], screen[0]), min(r[3], screen[1]))
    if v[0] < v[2] and v[1] < v[3]:
        check_held(x, c, v, label)
    else:
        warp(x, screen[0] // 2, screen[1] // 2)
        time.sleep(0.3)
        c.equal(x.pointer(), (screen[0] // 2, screen[1] // 2), f"{label}: the pointer free")


def screen_shrinks(args, c, wm=True):
    """The screen shrinks under a possessed board lying partly beyond its
    bottom right until none of its client area is on the screen: no warp after
    warp, no busy program, the pointer held in what is left of the client area
    on the screen, or free where nothing is; the same after the screen grows
    back. With openbox, which moves the board towards the smaller screen (the
    confinement follows it), and without a window manager."""
    with XSession(wm=wm) as x:
        label = "openbox" if wm else "no window manager"
        exe = copy_program(args.exe, x._dir("bin"))
        p, frame, wid = start_board(x, exe)
        x.xdotool("windowmove", "--sync", wid, 800, 600)
        time.sleep(0.3)
        torii = find(frame, "image", "鳥居")  # named after the mode once possessed
        click(x, torii, repeat=2)
        r = confinement(frame)
        c.check(r[0] >= 800 and r[3] > 768, f"{label}: the board partly off the screen ({r})")
        held_where_on_screen(x, c, r, x.size, f"{label}: possession mode")

        set_screen(x, (700, 500))
        before = cpu_seconds(p.pid)
        time.sleep(2)
        used = cpu_seconds(p.pid) - before
        c.check(used < 0.4, f"{label}: the program at rest on the small screen "
                            f"({used:.2f} s in 2 s)")
        held_where_on_screen(x, c, confinement(frame), (700, 500), f"{label}: small screen")

        set_screen(x, x.size)
        time.sleep(0.5)
        held_where_on_screen(x, c, confinement(frame), x.size, f"{label}: grown back")
        click(x, torii, repeat=2)
        c.equal(rel(x, -3000, -3000), (0, 0), f"{label}: free after possession mode")
        p.kill()


def grab_refused(args, c):
    """Possession mode begins while another program holds the pointer (a menu
    open elsewhere): the program asks again a few times a second, never in a
    busy loop, and holds the pointer as soon as the other grab ends. It lets
    a screen locker have the pointer after half a minute without input."""
    from Xlib import X
    with XSession(wm=True) as x:
        exe = copy_program(args.exe, x._dir("bin"))
        p, frame, wid = start_board(x, exe)
        d = x.xlib()
        root = d.screen().root

        def grab():
            status = root.grab_pointer(False, X.ButtonPressMask, X.GrabModeAsync,
                                       X.GrabModeAsync, X.NONE, X.NONE, X.CurrentTime)
            d.sync()
            return status

        def held_by_program():
            status = grab()
            if status == X.GrabSuccess:
                d.ungrab_pointer(X.CurrentTime)
                d.sync()
            return status == X.AlreadyGrabbed

        warp(x, *centre(cell(frame, "あ")))
        c.equal(grab(), X.GrabSuccess, "another program holds the pointer")
        torii = find(frame, "image", "鳥居")  # named after the mode once possessed
        harness.do_action(torii, 1)  # the double-click's action
        time.sleep(0.5)
        before = cpu_seconds(p.pid)
        time.sleep(2)
        used = cpu_seconds(p.pid) - before
        c.check(used < 0.4, f"the program at rest while refused ({used:.2f} s in 2 s)")
        d.ungrab_pointer(X.CurrentTime)
        d.sync()
        try:
            poll(held_by_program, timeout=2, what="the program's grab")
        except TimeoutError:
            pass
        c.check(held_by_program(), "the pointer held once the other grab ended")
        click(x, cell(frame, "あ"))
        c.equal(message(frame), "あ", "a click spells")

        # Half a minute without pointer input: a screen locker may take the
        # pointer, and the board takes it back at the next motion.
        time.sleep(31)
        c.equal(grab(), X.GrabSuccess, "a screen locker takes the pointer after half a minute")
        d.ungrab_pointer(X.CurrentTime)
        d.sync()
        rel(x, 5, 0)
        try:
            poll(held_by_program, timeout=2, what="the program's grab")
        except TimeoutError:
            pass
        c.check(held_by_program(), "the pointer held again at the next motion")
        click(x, torii, repeat=2)
        c.check(not held_by_program(), "free after possession mode")
        p.kill()


if __name__ == "__main__":
    harness.run({"seance": seance, "endings": endings, "scale-2": at_scale_two,
                 "screen-shrinks": screen_shrinks,
                 "screen-shrinks-bare": lambda a, c: screen_shrinks(a, c, wm=False),
                 "grab-refused": grab_refused})
