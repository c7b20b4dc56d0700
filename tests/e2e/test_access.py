"""The board for a Japanese user, a keyboard user and a screen-reader user, in
a Japanese and in a plain locale: Qt's own dialog in Japanese and opened on
the board's face, bold, and un-bolded by the regular style; the séance driven
through the accessibility tree and the message box's keys alone (cells, torii,
Enter, Ctrl+Enter, menu commands), the mode in the torii's name and state, the
record as the board's dialog, and the message box and the record read by every
text query a screen reader makes; quick clicks on neighbouring cells; all four
menu commands on a narrow board."""

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
        x.click_center(find(dlg, "list item", "Regular"))
        x.click_center(find(dlg, "push button", "OK"))
        x.wait_for(lambda: find(app, "dialog") is None, what="the dialog to close")
        poll(lambda: pixels(x, cell) != bold, what="the cell drawn anew")
        c.check(pixels(x, cell) != bold, "the regular style un-bolds the board")
        p.kill()


TEXTS = ["", "あ", "たこ", "ab あい 12。cd\nう"]


def sweep(c, acc, what, record=False):
    """Asks for the character, word, sentence and line (AT-SPI boundaries 0 to
    6) at, before and after every offset, and at and past the end, as a screen
    reader does: every query answers with a piece of the text, the piece at an
    offset holding that offset (in the message box; the record is Qt's own).
    In a megabyte of record every query answers as well."""
    editable, t = acc.queryEditableText(), acc.queryText()
    wrong = []
    for s in TEXTS:
        editable.setTextContents(s)
        for kind in range(7):
            for off in range(-1, len(s) + 2):
                for name in ("getTextAtOffset", "getTextBeforeOffset", "getTextAfterOffset"):
                    piece, start, end = getattr(t, name)(off, kind)
                    ok = piece == s[start:end] if 0 <= start <= end else piece == ""
                    if name == "getTextAtOffset" and 0 <= off < len(s) and not record:
                        ok = ok and start <= off < end
                    if not ok:
                        wrong.append((s, name, kind, off, piece, start, end))
    c.check(not wrong, f"{what}: pieces at every offset ({wrong[:3]})")
    if not record:
        return
    big = "あいうえお。かきくけこ abc\n" * 60000
    editable.setTextContents(big)
    c.equal(t.characterCount, len(big), f"{what}: a megabyte of text")
    for kind in range(7):
        for off in (0, len(big) // 2, len(big) - 1, len(big), len(big) + 5):
            piece, start, end = t.getTextAtOffset(off, kind)
            c.check(piece == big[start:end], f"{what}: piece {kind} at {off} of a megabyte")


def screen_reader(args, c, locale):
    """Spell, commit, enter and leave the mode and read the record, by
    accessibility actions and the message box's keys only."""
    with XSession(wm=True, extra_env={"LANG": locale, "LC_ALL": locale}) as x:
        p, app, frame, wid = start(x, args)
        client = find(frame, "filler")
        names = [client.getChildAtIndex(i).name for i in range(client.childCount)]
        c.equal(names[:10], ["メッセージ", "はい", "鳥居", "いいえ", "あ", "い", "う", "え", "お", "か"],
                "reading order")
        c.equal((len(names), names[-1], "" in names), (62, "九", False), "no blank cells in the tree")
        box = find(frame, "text", "メッセージ")
        sweep(c, box, "message box")
        box.queryEditableText().setTextContents("")
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
        x.xdotool("key", "ctrl+Return")
        poll(lambda: cursor(x) == POSSESSION_CURSOR, what="the possession cursor")
        import pyatspi
        c.equal((torii.name, torii.getState().contains(pyatspi.STATE_CHECKED)),
                ("鳥居（憑依モード）", True), "the torii tells the mode")
        action(torii, "Toggle")
        poll(lambda: cursor(x) != POSSESSION_CURSOR, what="the ordinary cursor")
        c.equal((torii.name, torii.getState().contains(pyatspi.STATE_CHECKED)),
                ("鳥居", False), "the torii tells the mode again")

        do_action(find(frame, "menu item", "記録"))
        log = x.wait_for(lambda: find(app, "dialog", "記録"), what="the record as a dialog")
        c.equal(text_of(find(log, "text", "記録")), "あい\nう\n", "the record, in its named box")
        lwid = x.wait_for(lambda: x.toplevels(pid=p.pid, name="記録"), what="record window")[0]
        c.equal(prop(x, lwid, "WM_TRANSIENT_FOR"), [wid], "transient for the board")
        dialog_type = x.xlib().intern_atom("_NET_WM_WINDOW_TYPE_DIALOG")
        c.check(dialog_type in prop(x, lwid, "_NET_WM_WINDOW_TYPE"), "a dialog for the window manager")
        sweep(c, find(log, "text", "記録"), "record", record=True)
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
