"""The About window on a real X server: it opens from the board's menu while
the board waits, shows its texts at its place, opens the home page through the
desktop's opener, starts the system-information viewer or says that there is
none, and closes with Esc."""

import os
import stat
import time

import harness
from harness import XSession, copy_program, extents, find, find_all, poll

CAPTION = "ホヌラのﾊﾞｰｼﾞｮﾝ情報"
NOT_AVAILABLE = "現時点ではｼｽﾃﾑ情報を使用できません"
DESCRIPTION = ("鳥居をダブルクリックするとカーソルが変わり、憑依モードになります。"
               "マウスを移動し、一文字ずつクリックしていくと、上の窓に文字が記録されます。"
               "鳥居に戻ってクリックすると記録画面に記録されます。"
               "再びダブルクリックすると通常モードになります。"
               "ウィンドウの位置、サイズ、フォントはiniファイルに記録されます。")
LABELS = ["ホヌラ", "ﾊﾞｰｼﾞｮﾝ 1.0.1", DESCRIPTION, "作者ホームページ：Brantle",
          "https://brantle.example.net/"]
CLIENT_AT = (156, 129)  # 2340 and 1935 twips at 15 twips per pixel


def fake_program(directory, name, record, env_var=None):
    """A stand-in program that writes its arguments, one a line, to record,
    and then the value of env_var in its environment, when asked to."""
    path = os.path.join(directory, name)
    env = f' "{env_var}=${{{env_var}-(unset)}}"' if env_var else ""
    with open(path, "w") as f:
        f.write("#!/bin/sh\nprintf '%s\\n' \"$@\"" + env + " > '" + record + ".tmp'\n"
                "/bin/mv '" + record + ".tmp' '" + record + "'\n")
    os.chmod(path, stat.S_IRWXU)
    return path


def open_about(x, frame, app):
    x.click_center(find(frame, "menu item", "ホヌラについて"))
    return x.wait_for(lambda: find(app, "dialog", CAPTION), what="the About window")


def about_window_id(x, proc):
    return x.wait_for(lambda: x.toplevels(pid=proc.pid, name=CAPTION), what="About window")[0]


def client_origin(x, wid):
    d = x.xlib()
    w = d.create_resource_object("window", wid)
    pos = w.translate_coords(d.screen().root, 0, 0)
    return -pos.x, -pos.y


def window_title_and_actions(x, wid):
    """The title the window manager shows, and the actions it allows."""
    d = x.xlib()
    w = d.create_resource_object("window", wid)
    name = w.get_full_property(d.intern_atom("_NET_WM_NAME"), d.intern_atom("UTF8_STRING"))
    acts = w.get_full_property(d.intern_atom("_NET_WM_ALLOWED_ACTIONS"), 0)
    title = name.value.decode("utf-8") if name else None
    return title, {d.get_atom_name(a) for a in (acts.value if acts else [])}


def press_key(x, wid, key):
    x.xdotool("windowactivate", "--sync", wid, check=False)
    x.xdotool("key", "--clearmodifiers", key)


def texts_of(dialog):
    labels = sorted(find_all(dialog, "label"), key=lambda a: (extents(a)[1], extents(a)[0]))
    buttons = sorted(a.name for a in find_all(dialog, "push button"))
    return [a.name for a in labels], buttons


def about(args, c):
    with XSession(wm=True) as x:
        exe = copy_program(args.exe, x._dir("bin"))
        tools = x._dir("tools")
        opened = os.path.join(x.tmp, "opened.txt")
        started = os.path.join(x.tmp, "started.txt")
        fake_program(tools, "xdg-open", opened)
        p = x.launch(exe, env={"PATH": tools})
        app = x.app(p)
        frame = x.wait_for(lambda: find(app, "frame", "ホヌラ"), what="the board")

        dialog = open_about(x, frame, app)
        wid = about_window_id(x, p)
        first = texts_of(dialog)
        c.equal(first[0], LABELS, "labels from top to bottom")
        c.equal(first[1], ["OK", "ｼｽﾃﾑ情報(S)..."], "buttons")
        c.check(find(dialog, "image", "ホヌラのアイコン") is not None, "icon shown")
        time.sleep(0.3)
        c.equal(client_origin(x, wid), CLIENT_AT, "client area's place on screen")
        c.equal(extents(dialog)[2:], (382, 237), "client size (5730 x 3555 twips)")
        title, actions = window_title_and_actions(x, wid)
        c.equal(title, CAPTION, "title shown by the window manager")
        c.check(not actions & {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                               "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_MINIMIZE"},
                f"fixed size, neither minimised nor maximised ({actions})")

        # The board waits: its quit command does nothing while About is open.
        x.click_center(find(frame, "menu item", "終了"))
        time.sleep(0.5)
        c.check(p.poll() is None, "board ignores its menu while About is open")
        c.check(find(app, "dialog", CAPTION) is not None, "About still open")

        # No viewer installed: the message, with OK only; About stays.
        x.click_center(find(dialog, "push button", "ｼｽﾃﾑ情報(S)..."))
        alert = x.wait_for(lambda: find(app, "alert") or find(app, "dialog", "ホヌラ"),
                           what="the message")
        c.check(any(a.name == NOT_AVAILABLE for a in harness.walk(alert)),
                "message says the tool is not available")
        c.equal(alert.name, "ホヌラ", "message title")
        c.equal([b.name for b in find_all(alert, "push button")], ["OK"], "message buttons")
        harness.do_action(find(alert, "push button", "OK"))
        poll(lambda: find(app, "alert") is None and find(app, "dialog", "ホヌラ") is None,
             what="the message to close")
        c.check(find(app, "dialog", CAPTION) is not None, "About open after the message")

        # The link hands its own caption to the desktop's opener, as one argument.
        x.click_center(find(dialog, "label", LABELS[-1]))
        poll(lambda: os.path.exists(opened), what="the opener to run")
        with open(opened) as f:
            c.equal(f.read(), LABELS[-1] + "\n", "address given to the opener")
        c.check(find(app, "dialog", CAPTION) is not None, "About open after the link")

        # Esc closes it; the board goes on.
        press_key(x, wid, "Escape")
        poll(lambda: find(app, "dialog", CAPTION) is None, what="About to close on Esc")
        c.check(p.poll() is None, "board runs after About closed")

        # Loaded afresh: same texts. A viewer installed meanwhile starts on Alt+S,
        # without the platform choice honura makes for itself.
        fake_program(tools, "hardinfo", started, "QT_QPA_PLATFORM")
        dialog = open_about(x, frame, app)
        c.equal(texts_of(dialog), first, "same texts the second time")
        wid = about_window_id(x, p)
        time.sleep(0.3)
        c.equal(client_origin(x, wid), CLIENT_AT, "same place the second time")
        press_key(x, wid, "alt+s")
        poll(lambda: os.path.exists(started), what="the viewer to start")
        c.check(find(app, "alert") is None, "no message when the viewer starts")
        with open(started) as f:
            c.equal(f.read(), "QT_QPA_PLATFORM=(unset)\n", "the viewer's environment")

        # Enter is OK when the focus is on OK.
        press_key(x, wid, "Return")
        poll(lambda: find(app, "dialog", CAPTION) is None, what="About to close on Enter")
        c.check(p.poll() is None, "board runs after Enter")
        x.click_center(find(frame, "menu item", "終了"))
        c.equal(x.wait_exit(p), 0, "board ends from its menu afterwards")


def bare_x(args, c):
    """Without a window manager nothing frames or moves the window. The user's
    own platform choice reaches the programs honura starts."""
    with XSession(wm=False) as x:
        exe = copy_program(args.exe, x._dir("bin"))
        started = os.path.join(x.tmp, "started.txt")
        fake_program(x._dir("tools"), "hardinfo", started, "QT_QPA_PLATFORM")
        p = x.launch(exe, env={"PATH": x._dir("tools"), "QT_QPA_PLATFORM": "xcb"})
        app = x.app(p)
        frame = x.wait_for(lambda: find(app, "frame", "ホヌラ"), what="the board")
        dialog = open_about(x, frame, app)
        wid = about_window_id(x, p)
        time.sleep(0.3)
        c.equal(client_origin(x, wid), CLIENT_AT, "client area's place on screen")
        c.equal(texts_of(dialog)[0], LABELS, "labels")
        dx, dy, dw, dh = extents(dialog)
        x.xdotool("mousemove", "--sync", dx + dw // 2, dy + dh // 2)
        x.xdotool("key", "alt+s")
        poll(lambda: os.path.exists(started), what="the viewer to start")
        with open(started) as f:
            c.equal(f.read(), "QT_QPA_PLATFORM=xcb\n", "the viewer's environment")
        x.xdotool("key", "Escape")
        poll(lambda: find(app, "dialog", CAPTION) is None, what="About to close on Esc")
        c.check(p.poll() is None, "board runs after About closed")


if __name__ == "__main__":
    harness.run({"openbox": about, "bare-x": bare_x})
