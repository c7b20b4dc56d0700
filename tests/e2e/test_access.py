"""The board for a Japanese user, a keyboard user and a screen-reader user, in
a Japanese and in a plain locale: Qt's own dialog in Japanese and opened on
the board's face, bold, and un-bolded by the regular style; the séance driven
through the accessibility tree alone (cells, torii, menu commands) with the
record as the board's dialog; Enter commits; quick clicks on neighbouring
cells; all four menu commands on a narrow board."""

import time

import harness
from harness import XSession, copy_program, do_action, extents, find, find_all, poll, text_of

LOCALES = {"ja": "ja_JP.UTF-8", "c": "C.UTF-8"}
POSSESSION_CURSOR = (32, 32, 12, 1)


def start(x, args):
    p = x.launch(copy_program(args.exe, x._dir("bin")))
    app = x.app(p)
    frame = x.wait_for(lambda: find(app, "frame", "ホヌラ"), what="the board")
    wid = x.wait_for(lambda: x.toplevels(pid=p.pid, name="ホヌラ"), what="board window")[0]
    time.sleep(0.5)
    return p, app, frame, wid


def action(acc, name):
    a = acc.queryAction()
    names = [a.getName(i) for i in range(a.nActions)]
    return a.doAction(names.index(name))


def pixels(x, acc):
    from Xlib import X
    ax, ay, aw, ah = extents(acc)
    return x.xlib().screen().root.get_image(ax, ay, aw, ah, X.ZPixmap, 0xFFFFFFFF).data


def prop(x, wid, name):
    d = x.xlib()
    p = d.create_resource_object("window", wid).get_full_property(d.intern_atom(name), 0)
    return list(p.value) if p else []


STYLES = ["標準", "斜体", "太字", "太字 斜体"]


def font_dialog(args, c, locale):
    with XSession(wm=True, extra_env={"LANG": locale, "LC_ALL": locale}) as x:
        p, app, frame, wid = start(x, args)
        cell = find(frame, "label", "あ")
        bold = pixels(x, cell)
        x.click_center(find(frame, "menu item", "字体"))
        dlg = x.wait_for(lambda: find(app, "dialog"), what="the font dialog")
        c.equal(dlg.name, "フォントの選択", "the dialog's title in Japanese")
        buttons = [b.name for b in find_all(dlg, "push button")]
        c.equal(buttons, ["OK", "キャンセル"], "the dialog's buttons in Japanese")
        fields = sorted(find_all(dlg, "text"), key=lambda a: (extents(a)[1], extents(a)[0]))
        face = "IPA P明朝" if locale.startswith("ja") else "IPAPMincho"
        c.equal([text_of(a) for a in fields[:3]], [face, "太字", "16"],
                "opened on the board's face, bold, 16")
        styles = [a.name for a in find_all(dlg, "list item") if a.name in STYLES + ["Regular"]]
        c.equal(styles, STYLES, "the four styles, in the dialog's language")
        x.click_center(find(dlg, "list item", "標準"))
        x.click_center(find(dlg, "push button", "OK"))
        x.wait_for(lambda: find(app, "dialog") is None, what="the dialog to close")
        poll(lambda: pixels(x, cell) != bold, what="the cell drawn anew")
        c.check(pixels(x, cell) != bold, "the regular style un-bolds the board")
        p.kill()


def screen_reader(args, c, locale):
    """Spell, commit, enter and leave the mode and read the record, by
    accessibility actions only."""
    with XSession(wm=True, extra_env={"LANG": locale, "LC_ALL": locale}) as x:
        p, app, frame, wid = start(x, args)
        client = find(frame, "filler")
        names = [client.getChildAtIndex(i).name for i in range(client.childCount)]
        c.equal(names[:10], ["メッセージ", "はい", "鳥居", "いいえ", "あ", "い", "う", "え", "お", "か"],
                "reading order")
        c.equal((len(names), names[-1], "" in names), (62, "九", False), "no blank cells in the tree")
        box = find(frame, "text", "メッセージ")
        for ch in "あい":
            action(find(frame, "label", ch), "Press")
        c.equal(text_of(box), "あい", "cells spelled by their press action")
        torii = find(frame, "image", "鳥居")
        action(torii, "Press")
        c.equal(text_of(box), "", "the torii's press action commits")
        action(find(frame, "label", "う"), "Press")
        x.xdotool("windowactivate", "--sync", wid, check=False)
        x.xdotool("key", "Return")
        poll(lambda: text_of(box) == "", what="Enter to commit")
        x.xdotool("mousemove", "--sync", *centre(find(frame, "label", "ん")))
        action(torii, "Toggle")
        poll(lambda: cursor(x) == POSSESSION_CURSOR, what="the possession cursor")
        action(torii, "Toggle")
        poll(lambda: cursor(x) != POSSESSION_CURSOR, what="the ordinary cursor")

        do_action(find(frame, "menu item", "記録"))
        log = x.wait_for(lambda: find(app, "dialog", "記録"), what="the record as a dialog")
        c.equal(text_of(find(log, "text", "記録")), "あい\nう\n", "the record, in its named box")
        lwid = x.wait_for(lambda: x.toplevels(pid=p.pid, name="記録"), what="record window")[0]
        c.equal(prop(x, lwid, "WM_TRANSIENT_FOR"), [wid], "transient for the board")
        dialog_type = x.xlib().intern_atom("_NET_WM_WINDOW_TYPE_DIALOG")
        c.check(dialog_type in prop(x, lwid, "_NET_WM_WINDOW_TYPE"), "a dialog for the window manager")
        do_action(find(log, "push button", "閉じる"))
        poll(lambda: find(app, "dialog", "記録") is None, what="the record to hide")
        p.kill()


def centre(acc):
    ax, ay, aw, ah = extents(acc)
    return ax + aw // 2, ay + ah // 2


def cursor(x):
    d = x.xlib()
    d.xfixes_query_version()
    ci = d.xfixes_get_cursor_image(d.screen().root)
    return ci.width, ci.height, ci.xhot, ci.yhot


def narrow_board(args, c, locale):
    """Quick clicks a few pixels apart on two cells add both; at 200 pixels
    wide all four menu commands stay on screen and work."""
    with XSession(wm=True, extra_env={"LANG": locale, "LC_ALL": locale}) as x:
        p, app, frame, wid = start(x, args)
        a, k = find(frame, "label", "あ"), find(frame, "label", "か")
        border, y = extents(a)[0], centre(a)[1]
        c.equal(extents(k)[0] + extents(k)[2], border, "か stands left of あ")
        x.xdotool("mousemove", "--sync", border + 1, y, "click", 1,
                  "mousemove", "--sync", border - 2, y, "click", 1)
        box = find(frame, "text", "メッセージ")
        poll(lambda: len(text_of(box)) == 2, timeout=5, what="two characters")
        c.equal(text_of(box), "あか", "two quick clicks on neighbouring cells")

        x.xdotool("windowsize", "--sync", wid, 200, 300)
        bx, by, bw, bh = x.wait_for(lambda: (g := x.outer_geometry(wid))[2] <= 202 and g,
                                    what="the narrow board")
        time.sleep(0.5)
        items = find_all(frame, "menu item")
        boxes = [extents(m) for m in items]
        c.equal([m.name for m in items], ["終了", "字体", "記録", "ホヌラについて"], "four commands")
        c.check(all(bx <= mx and mx + mw <= bx + bw for mx, my, mw, mh in boxes),
                f"all within the board's width {bx}..{bx + bw}: {boxes}")
        c.check(len({(mx, my) for mx, my, _, _ in boxes}) == 4 and boxes[3][1] > boxes[0][1],
                f"the last command wraps onto a second row: {boxes}")
        x.click_center(items[3])
        about = x.wait_for(lambda: find(app, "dialog"), what="the About window")
        c.check(about is not None, "the wrapped command opens the About window")
        x.xdotool("key", "Escape")
        p.kill()


if __name__ == "__main__":
    harness.run({f"{name}-{tag}": (lambda f, loc: lambda args, c: f(args, c, loc))(f, loc)
                 for name, f in (("font", font_dialog), ("reader", screen_reader),
                                 ("narrow", narrow_board))
                 for tag, loc in LOCALES.items()})
