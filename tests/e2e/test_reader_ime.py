"""The board with a real screen reader and with real input methods.

orca: Orca hears the board as a blind user plays with Orca's own commands
(its speech is read from its debug log; speech-dispatcher speaks through its
dummy module). The caret moved to the start of kana, where Orca asks for the
word at offset 0 (which once froze the board), is read; a left click in flat
review spells, and Orca says the letter; Enter commits, and Orca says the
message; Ctrl+Enter enters possession mode, and Orca says so, as flat review
reads it in the torii's name; the message box is read again when the keyboard
comes back from the menu.

fcitx, ibus: Mozc through fcitx5 and through ibus. A click on a cell while
Mozc composes puts the composed text first, then the cell's character; a
click on the torii commits the message with what is composed. Mozc's server
will not run as root: run as root, the scenario runs as the user nobody."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import harness
from harness import XSession, copy_program, do_action, find, poll, text_of

NOBODY = 65534


def installed(c, *programs):
    """Checks that the programs the scenario runs are installed."""
    missing = [p for p in programs if not shutil.which(p)]
    return c.check(not missing, f"not installed: {missing} (scripts/deps.sh test installs them)")


def launch_board(x, args, **kw):
    p = x.launch(copy_program(args.exe, x._dir("bin")), **kw)
    app = x.app(p)
    frame = x.wait_for(lambda: find(app, "frame", "ホヌラ"), what="the board")
    wid = x.wait_for(lambda: x.toplevels(pid=p.pid, name="ホヌラ"), what="board window")[0]
    x.xdotool("windowactivate", "--sync", wid, check=False)
    return p, app, frame


# ---------------------------------------------------------------- Orca
class Orca:
    """Orca on the session's accessibility bus, speaking through speech-
    dispatcher's dummy module. It runs from a copy of its script that opens
    the debug log line-buffered (Orca 43 buffers it, and its speech would
    arrive late) and that neither kills nor makes way for the user's own Orca
    (which would be on another bus): it takes another process name."""

    EDITS = {"open(args.debug_file, 'w')": "open(args.debug_file, 'w', buffering=1)",
             "setProcessName('orca')": "setProcessName('honura-orca')",
             "    if otherOrcas():": "    if False:"}

    def __init__(self, x):
        conf = os.path.join(x.env["XDG_CONFIG_HOME"], "speech-dispatcher")
        os.makedirs(conf, exist_ok=True)
        with open(os.path.join(conf, "speechd.conf"), "w") as f:
            f.write('AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\n')
        with open(shutil.which("orca")) as f:
            src = f.read()
        for old, new in self.EDITS.items():
            if old not in src:
                raise RuntimeError(f"this Orca's script has no {old!r}: the test needs mending")
            src = src.replace(old, new)
        script = os.path.join(x._dir("orca"), "orca")
        with open(script, "w") as f:
            f.write(src)
        self.log = os.path.join(x._dir("orca"), "debug.log")
        self.seen = 0
        env = dict(x.env, GSETTINGS_BACKEND="memory")
        x.procs.append(subprocess.Popen(
            [sys.executable, script, "--debug-file=" + self.log], env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        self.x = x
        poll(lambda: "Screen reader on" in " ".join(self.spoken()), timeout=30, what="Orca")

    def spoken(self):
        """Everything Orca has said since the last call."""
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8", errors="replace") as f:
            f.seek(self.seen)
            data = f.read()
            self.seen = f.tell()
        return re.findall(r"SPEECH OUTPUT: '(.*)'\s*[\[{]", data)

    def keys(self, keys, want=""):
        """Presses keys and waits for Orca to say something that starts with
        want (anything, by default); returns whether it did, and what it said."""
        self.spoken()
        self.x.xdotool("key", "--delay", "150", *keys.split())
        said = []
        settle(lambda: said.extend(self.spoken()) or any(s.startswith(want) for s in said), 15)
        return any(s.startswith(want) for s in said), said

    def check(self, c, keys, want, what):
        heard, said = self.keys(keys, want)
        return c.check(heard, f"{what}: Orca said {said}, want {want!r}")


def orca(args, c):
    if not installed(c, "orca", "speech-dispatcher"):
        return
    with XSession(wm=True) as x:
        reader = Orca(x)
        p, app, frame = launch_board(
            x, args, unset=("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "QT_ACCESSIBILITY"))
        box = find(frame, "text", "メッセージ")
        box.queryEditableText().setTextContents("たこ")
        reader.check(c, "End Home", "た", "the caret at the start of kana")
        c.equal(text_of(box), "たこ", "the board answers after Orca's word at offset 0")
        # Flat review, line by line: the box, the torii, the answers, the top
        # row; then along the top row to its last cell, あ.
        reader.check(c, "KP_Subtract", "Entering flat review", "flat review")
        for line in ("鳥居", "はい", "ん"):
            reader.check(c, "KP_Page_Up", line, f"flat review: the line of {line}")
        c.check(any("あ" in reader.keys("KP_Right")[1] for _ in range(10)), "flat review: あ")
        reader.check(c, "KP_Divide", "あ.", "Orca's left click spells, and the letter is said")
        # (A busy Orca may take its click for a failure and press the cell's
        # action as well.)
        message = text_of(box)
        c.check(message in ("たこあ", "たこああ"), f"the letter added: {message!r}")
        reader.check(c, "Return", f"「{message}」を記録しました", "Enter commits, and it is said")
        reader.check(c, "ctrl+Return", "憑依モード", "Ctrl+Enter enters possession mode")
        reader.check(c, "KP_Subtract KP_Page_Up", "鳥居（憑依モード）", "flat review reads the mode")
        reader.check(c, "KP_Subtract b F10", "終了", "F10 takes the keyboard to the menu")
        reader.check(c, "Escape", "b", "back in the message box, its text is read")
        c.check(p.poll() is None, "the board is alive")
        p.kill()


# ---------------------------------------------------------------- input methods
def start_input_method(x, im):
    """Starts fcitx5 or ibus with Mozc, Mozc on and composing in hiragana;
    returns the environment that puts the program on it."""
    config = x.env["XDG_CONFIG_HOME"]
    log = open(os.path.join(x.tmp, im + ".log"), "w")
    if im == "fcitx":
        os.makedirs(os.path.join(config, "fcitx5"), exist_ok=True)
        with open(os.path.join(config, "fcitx5", "profile"), "w") as f:
            f.write("[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=mozc\n\n"
                    "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
                    "[Groups/0/Items/1]\nName=mozc\nLayout=\n\n[GroupOrder]\n0=Default\n")
        x.procs.append(subprocess.Popen(["fcitx5"], env=x.env, stdout=log, stderr=log))
        poll(lambda: subprocess.run(["fcitx5-remote"], env=x.env, capture_output=True).returncode == 0,
             what="fcitx5")
        return {"QT_IM_MODULE": "fcitx", "XMODIFIERS": "@im=fcitx"}
    os.makedirs(os.path.join(config, "mozc"), exist_ok=True)
    with open(os.path.join(config, "mozc", "ibus_config.textproto"), "w") as f:
        f.write('engines {\n  name : "mozc-jp"\n  longname : "Mozc"\n  layout : "default"\n'
                '  layout_variant : ""\n  layout_option : ""\n  rank : 80\n}\n'
                "active_on_launch: True\n")
    x.procs.append(subprocess.Popen(["ibus-daemon", "--replace", "--xim", "--panel=disable"],
                                    env=x.env, stdout=log, stderr=log))
    poll(lambda: "mozc-jp" in subprocess.run(["ibus", "list-engine", "--name-only"], env=x.env,
                                             capture_output=True, text=True).stdout,
         what="ibus with Mozc")
    return {"QT_IM_MODULE": "ibus", "XMODIFIERS": "@im=ibus"}


def settle(fn, timeout):
    """Waits up to timeout seconds for fn() to hold; the caller checks."""
    try:
        poll(fn, timeout=timeout)
    except TimeoutError:
        pass


def compose_and_click(x, c, box, keys, target, want, what):
    """Has Mozc compose keys, then clicks target; want: the box's text before
    the click (the composition is not yet in it) and after."""
    x.xdotool("key", "--delay", "100", *keys)
    time.sleep(1)
    c.equal(text_of(box), want[0], f"{what}: composing, the box holds only what went before")
    x.click_center(target)
    settle(lambda: text_of(box) == want[1], 5)
    c.equal(text_of(box), want[1], what)


def input_method(args, c, im):
    if not installed(c, *(["fcitx5", "fcitx5-remote"] if im == "fcitx" else ["ibus-daemon", "ibus"]),
                     "setpriv"):
        return
    if os.geteuid() == 0:
        c.equal(as_nobody(args, im), 0, f"{im}: the scenario as the user nobody")
        return
    with XSession(wm=True) as x:
        env = start_input_method(x, im)
        p, app, frame = launch_board(x, args, env=env)
        box = find(frame, "text", "メッセージ")
        # Mozc on, for the board's input context. (ibus reports a failure
        # where it switched engines all the same.)
        if im == "fcitx":
            on = ["fcitx5-remote", "-o"], ["fcitx5-remote"], "2"
        else:
            on = ["ibus", "engine", "mozc-jp"], ["ibus", "engine"], "mozc-jp"
        poll(lambda: subprocess.run(on[0], env=x.env, capture_output=True) and subprocess.run(
            on[1], env=x.env, capture_output=True, text=True).stdout.strip() == on[2],
             what=f"{im}: Mozc on")
        compose_and_click(x, c, box, ["k", "a"], find(frame, "label", "あ"), ("", "かあ"),
                          f"{im}: composing か, a click on あ")
        compose_and_click(x, c, box, ["k", "i"], find(frame, "image", "鳥居"), ("かあ", ""),
                          f"{im}: composing き, a click on the torii")
        do_action(find(frame, "menu item", "記録"))
        log = x.wait_for(lambda: find(app, "dialog", "記録"), what="the record")
        c.equal(text_of(find(log, "text", "記録")), "かあき\n", f"{im}: the committed message")
        p.kill()


def as_nobody(args, im):
    """Runs the scenario again as the user nobody, from copies it can read."""
    d = tempfile.mkdtemp(prefix="honura-nobody-")
    try:
        here = os.path.dirname(os.path.abspath(__file__))
        for name in ("harness.py", os.path.basename(__file__)):
            shutil.copy(os.path.join(here, name), d)
        exe = shutil.copy(args.exe, d)
        for n in [d] + [os.path.join(d, f) for f in os.listdir(d)]:
            os.chown(n, NOBODY, NOBODY)
        os.chmod(d, 0o755)
        env = {k: v for k, v in os.environ.items() if not k.startswith(("DISPLAY", "DBUS", "XDG"))}
        env.update(HOME=d, TMPDIR=d)
        return subprocess.run(
            ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups", "--",
             sys.executable, os.path.join(d, os.path.basename(__file__)), "--exe", exe,
             "--scenario", im], env=env, cwd=d).returncode
    finally:
        shutil.rmtree(d, ignore_errors=True)


if __name__ == "__main__":
    harness.run({"orca": orca,
                 "fcitx": lambda args, c: input_method(args, c, "fcitx"),
                 "ibus": lambda args, c: input_method(args, c, "ibus")})
