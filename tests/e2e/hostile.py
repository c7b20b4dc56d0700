"""The real program on a private X server, as an unlucky user and an attacker
would treat it; run by scripts/check-faults.sh (not by ctest: some cases need
root). Each scenario checks that the board ends up of a sane size, that it
saves where it should, and that nothing outside stops it:

  geometry  a file with a huge or a tiny size: the board fits the screen and is
            at least of a usable size, and saves no more than it shows;
  sliver    a screen too small for a board: the board keeps a usable size, and
            the geometry in the file is saved back as it was read;
  ends      SIGTERM, SIGINT, SIGHUP, the board's window destroyed by another
            client, the X server going away: the program ends and saves;
  squatted  another user binds the single-instance name first (root only):
            the board starts all the same, and a second start is still refused.
"""

import hashlib
import os
import signal
import subprocess
import time

import harness
from harness import XSession, copy_program
from test_settings import settle

TPP = 15  # twips per pixel at 96 DPI
SMALLEST = (3465 // TPP, 2790 // TPP)  # the smallest usable board, pixels
PLACED = b"[Form]\r\nTOP=1500\r\nLEFT=3000\r\nWIDTH=6945\r\nHEIGHT=5580\r\n"


def program(x, ini=None):
    """A copy of the program in a folder of its own, with its settings file."""
    x.copies = getattr(x, "copies", 0) + 1
    exe = copy_program(x.args.exe, x._dir(f"bin{x.copies}"))
    path = os.path.join(os.path.dirname(exe), "honura.ini")
    if ini is not None:
        with open(path, "wb") as f:
            f.write(ini)
    return exe, path


def form(path):
    """The four keys of [Form] in the file, as integers."""
    with open(path, "rb") as f:
        text = f.read().decode("cp932")
    values = dict(line.split("=", 1) for line in text.splitlines() if "=" in line)
    return tuple(int(values[k]) for k in ("TOP", "LEFT", "WIDTH", "HEIGHT"))


def start(x, exe, env=None, default_signals=False):
    """Starts the program and returns it with its first window. With
    default_signals, SIGINT and SIGHUP are not left ignored by whoever started
    the test (a shell starts background jobs with SIGINT ignored)."""
    args = ()
    if default_signals:
        exe, args = "/usr/bin/env", ("--default-signal=INT,HUP", exe)
    p = x.launch(exe, args, env=env)
    wid = x.wait_for(lambda: x.toplevels(pid=p.pid), what="a window of the program")[0]
    return p, wid


def peak_memory_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) // 1024
    return 0


def is_dialog(x, wid):
    d = x.xlib()
    w = d.create_resource_object("window", wid)
    kind = w.get_full_property(d.intern_atom("_NET_WM_WINDOW_TYPE"), 0)
    return kind is not None and d.intern_atom("_NET_WM_WINDOW_TYPE_DIALOG") in kind.value


def geometry(args, c):
    with XSession(wm=True) as x:
        x.args = args
        exe, ini = program(x, b"[Form]\r\nTOP=0\r\nLEFT=0\r\nWIDTH=2147483647\r\nHEIGHT=2147483647\r\n")
        p, wid = start(x, exe)
        g = settle(x, wid)
        c.check(g[2] <= 1024 and g[3] <= 768, f"huge size: the board fits the screen ({g})")
        c.check(peak_memory_mb(p.pid) < 1024, f"huge size: peak memory {peak_memory_mb(p.pid)} MB")
        x.close_request(wid)
        c.equal(x.wait_exit(p), 0, "huge size: closes")
        top, left, width, height = form(ini)
        c.check(width <= 1024 * TPP and height <= 768 * TPP,
                f"huge size: saves no more than the screen ({width} x {height})")

        exe, ini = program(x, b"[Form]\r\nTOP=1500\r\nLEFT=3000\r\nWIDTH=1\r\nHEIGHT=1\r\n")
        p, wid = start(x, exe)
        g = settle(x, wid)
        c.check(g[2] >= SMALLEST[0] and g[3] >= SMALLEST[1], f"tiny size: a usable board ({g})")
        x.close_request(wid)
        c.equal(x.wait_exit(p), 0, "tiny size: closes")
        top, left, width, height = form(ini)
        c.check(width >= SMALLEST[0] * TPP and height >= SMALLEST[1] * TPP,
                f"tiny size: saves a usable size ({width} x {height})")


def sliver(args, c):
    with XSession(wm=False, size=(3, 101)) as x:
        x.args = args
        exe, ini = program(x, PLACED)
        p, wid = start(x, exe)
        g = settle(x, wid)
        c.check(g[2] >= SMALLEST[0] and g[3] >= SMALLEST[1], f"sliver: a usable board ({g})")
        x.close_request(wid)
        c.equal(x.wait_exit(p), 0, "sliver: closes")
        c.equal(form(ini), (1500, 3000, 6945, 5580), "sliver: the geometry read is saved")


def ends(args, c):
    with XSession(wm=True) as x:
        x.args = args

        def moved_board(default_signals=False):
            exe, ini = program(x)
            p, wid = start(x, exe, default_signals=default_signals)
            settle(x, wid)
            x.xdotool("windowmove", "--sync", wid, 120, 90, check=False)
            return p, wid, ini, settle(x, wid)

        for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            p, wid, ini, g = moved_board(default_signals=True)
            os.kill(p.pid, sig)
            c.equal(x.wait_exit(p, 10), 0, f"{sig.name}: the program ends normally")
            c.check(os.path.exists(ini) and form(ini)[:2] == (g[1] * TPP, g[0] * TPP),
                    f"{sig.name}: the board's place {g[:2]} is saved")

        p, wid, ini, g = moved_board()
        d = x.xlib()
        d.create_resource_object("window", wid).destroy()
        d.sync()
        c.equal(x.wait_exit(p, 10), 0, "window destroyed by another client: the program ends")
        c.check(os.path.exists(ini) and form(ini)[:2] == (g[1] * TPP, g[0] * TPP),
                f"window destroyed: the board's place {g[:2]} is saved")

        p, wid, ini, g = moved_board()
        xvfb = x.procs[0]
        xvfb.terminate()
        xvfb.wait(10)
        code = x.wait_exit(p, 10)
        c.check(code is not None, f"X server gone: the program ends (exit {code})")
        c.check(os.path.exists(ini) and form(ini)[:2] == (g[1] * TPP, g[0] * TPP),
                f"X server gone: the board's place {g[:2]} is saved")


def instance_name(exe):
    """The abstract socket name (after its NUL) a program started as root at exe binds."""
    key = hashlib.sha256(f"{os.getuid()}\0{os.path.realpath(exe)}".encode()).hexdigest()[:32]
    return "honura-instance-" + key


def squatted(args, c):
    if os.getuid() != 0:
        print("squatted: SKIPPED: needs root for a second user", flush=True)
        c.check(True, "skipped")
        return
    with XSession(wm=True) as x:
        x.args = args
        exe, ini = program(x)

        # Without a runtime folder of its own, a second start still sees the
        # first one through the shared name.
        p, wid = start(x, exe)
        c.check(not is_dialog(x, wid), "the first start shows the board")
        q, qwid = start(x, exe, env={"XDG_RUNTIME_DIR": ""})
        c.check(is_dialog(x, qwid), "a second start without a runtime folder is refused")
        q.kill()
        x.close_request(wid)
        c.equal(x.wait_exit(p), 0, "the board closes")

        # Another user binds the name first and never answers.
        squatter = subprocess.Popen(
            ["setpriv", "--reuid=4242", "--regid=4242", "--clear-groups", "/usr/bin/python3", "-c",
             "import socket, sys, time\n"
             "s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)\n"
             "s.bind('\\0' + sys.argv[1]); print('bound', flush=True); time.sleep(600)",
             instance_name(exe)], stdout=subprocess.PIPE, text=True)
        x.procs.append(squatter)
        c.equal(squatter.stdout.readline().strip(), "bound", "another user holds the name")
        p, wid = start(x, exe)
        time.sleep(1)
        c.check(not is_dialog(x, wid) and p.poll() is None,
                "the board starts although another user holds its name")
        q, qwid = start(x, exe)
        c.check(is_dialog(x, qwid), "a second start is still refused")
        q.kill()
        x.close_request(wid)
        c.equal(x.wait_exit(p), 0, "the board closes")


if __name__ == "__main__":
    harness.run({
        "geometry": geometry,
        "sliver": sliver,
        "ends": ends,
        "squatted": squatted,
    })
