"""A private X session for end-to-end tests of honura.

XSession starts Xvfb on a free display, optionally the openbox window
manager, a D-Bus session with the accessibility bus, and runs the program
there. The program's controls are found through the accessibility tree
(AT-SPI), real input goes through XTest (xdotool), and X properties are read
with python-xlib. Run with Debian's /usr/bin/python3.

    with XSession(wm=True) as x:
        app = x.launch(exe_copy)
        board = x.wait_for(lambda: x.find(role="frame", name="ホヌラ", app=app))
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

DEFAULT_TIMEOUT = 20.0


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--exe", required=True, help="path of the honura executable")
    p.add_argument("--scenario", help="run only this scenario (each runs in a process of its own)")
    return p.parse_args()


def poll(fn, timeout=DEFAULT_TIMEOUT, interval=0.05, what="condition"):
    """Calls fn until it returns something truthy; returns that or raises."""
    deadline = time.monotonic() + timeout
    last_exc = None
    while time.monotonic() < deadline:
        try:
            r = fn()
            if r:
                return r
        except Exception as e:  # the tree changes under us while the program starts
            last_exc = e
        time.sleep(interval)
    raise TimeoutError(f"timed out waiting for {what}" + (f" ({last_exc!r})" if last_exc else ""))


class Failure(AssertionError):
    pass


class Checker:
    """Counts checks; prints one line a failure and a closing 'N passed, N failed' line."""

    def __init__(self, name):
        self.name = name
        self.passed = 0
        self.failed = 0

    def check(self, cond, what):
        if cond:
            self.passed += 1
        else:
            self.failed += 1
            print(f"FAIL: {what}", flush=True)
        return cond

    def equal(self, got, want, what):
        return self.check(got == want, f"{what}: got {got!r}, want {want!r}")

    def finish(self):
        print(f"{self.name}: {self.passed} passed, {self.failed} failed", flush=True)
        return 0 if self.failed == 0 and self.passed > 0 else 1


def copy_program(exe, directory, name="honura"):
    """Copies the executable into directory under name, so that its settings
    file lands there and not in the build tree."""
    os.makedirs(directory, exist_ok=True)
    dst = os.path.join(directory, name)
    shutil.copy2(exe, dst)
    return dst


class XSession:
    def __init__(self, wm=True, size=(1024, 768), scale=None, extra_env=None):
        self.wm = wm
        self.size = size
        self.scale = scale
        self.extra_env = dict(extra_env or {})
        self.procs = []
        self.apps = []
        self.tmp = tempfile.mkdtemp(prefix="honura-e2e-")
        self.env = None
        self.display = None
        self._xdisplay = None

    # ------------------------------------------------------------ lifecycle
    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def start(self):
        env = dict(os.environ)
        # Tests run under sudo too: the program would then keep its settings
        # beside itself only in folders of the user behind sudo.
        for k in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SESSION_MANAGER", "QT_SCALE_FACTOR",
                  "SUDO_UID", "PKEXEC_UID"):
            env.pop(k, None)
        env.update({
            "XDG_RUNTIME_DIR": self._dir("runtime"),
            "XDG_CONFIG_HOME": self._dir("config"),
            "HOME": self._dir("home"),
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            "NO_AT_BRIDGE": "0",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
        })
        os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
        if self.scale:
            env["QT_SCALE_FACTOR"] = str(self.scale)
        env.update(self.extra_env)

        # A private D-Bus session with the accessibility bus on it.
        out = subprocess.check_output(
            ["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
            env=env, text=True).split()
        env["DBUS_SESSION_BUS_ADDRESS"] = out[0]
        self._dbus_pid = int(out[1])
        self.env = env
        self.display = self.start_server()
        env["DISPLAY"] = self.display
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if os.path.exists(launcher):
            self.procs.append(subprocess.Popen([launcher, "--launch-immediately"], env=env,
                                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        if self.wm:
            self.procs.append(subprocess.Popen(["openbox", "--sm-disable"], env=env,
                                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            poll(self._wm_running, what="the window manager")
            time.sleep(0.5)  # let it finish starting before windows map
        os.environ.update({"DISPLAY": self.display,
                           "DBUS_SESSION_BUS_ADDRESS": env["DBUS_SESSION_BUS_ADDRESS"]})
        os.environ.pop("NO_AT_BRIDGE", None)
        return self

    def start_server(self):
        """Starts the X server (Xvfb on a free display) and returns its name."""
        r, w = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-nolisten", "tcp", "-noreset",
             "-screen", "0", f"{self.size[0]}x{self.size[1]}x24"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        self.procs.append(xvfb)
        num = b""
        with os.fdopen(r, "rb") as f:
            while not num.endswith(b"\n"):
                c = f.read(1)
                if not c:
                    raise RuntimeError("Xvfb did not start")
                num += c
        return ":" + num.decode().strip()

    def stop(self):
        for p in self.apps:
            if p.poll() is None:
                p.kill()
                p.wait()
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        try:
            os.kill(self._dbus_pid, signal.SIGTERM)
        except (AttributeError, ProcessLookupError):
            pass
        if self._xdisplay is not None:
            try:
                self._xdisplay.close()
            except Exception:
                pass
        shutil.rmtree(self.tmp, ignore_errors=True)

    def _dir(self, name):
        d = os.path.join(self.tmp, name)
        os.makedirs(d, exist_ok=True)
        return d

    # ------------------------------------------------------------ X helpers
    def xlib(self):
        if self._xdisplay is None:
            from Xlib import display
            self._xdisplay = display.Display(self.display)
        return self._xdisplay

    def _wm_running(self):
        d = self.xlib()
        atom = d.intern_atom("_NET_SUPPORTING_WM_CHECK")
        prop = d.screen().root.get_full_property(atom, 0)
        return prop is not None and len(prop.value) > 0

    def xdotool(self, *args, check=True):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, check=check,
                              capture_output=True, text=True).stdout

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.display, "-window", "root", path],
                       env=self.env, check=True)
        return path

    def toplevels(self, pid=None, name=None):
        """Client windows (those with WM_STATE or mapped children of root) of pid."""
        ids = self.xdotool("search", "--all", "--onlyvisible",
                           *(["--pid", pid] if pid else []),
                           *(["--name", f"^{name}$"] if name else ["--name", "."]),
                           check=False).split()
        return [int(i) for i in ids]

    def outer_geometry(self, wid):
        """The window's outer rectangle on screen (frame included): x, y, w, h."""
        d = self.xlib()
        w = d.create_resource_object("window", wid)
        g = w.get_geometry()
        pos = w.translate_coords(d.screen().root, 0, 0)
        x, y = -pos.x, -pos.y
        ext = w.get_full_property(d.intern_atom("_NET_FRAME_EXTENTS"), 0)
        l, r, t, b = (list(ext.value) if ext else [0, 0, 0, 0])
        return x - l, y - t, g.width + l + r, g.height + t + b

    def close_request(self, wid):
        """Asks the window to close, as a close box does (WM_DELETE_WINDOW)."""
        from Xlib import X, protocol
        d = self.xlib()
        w = d.create_resource_object("window", wid)
        proto = d.intern_atom("WM_PROTOCOLS")
        delete = d.intern_atom("WM_DELETE_WINDOW")
        ev = protocol.event.ClientMessage(window=w, client_type=proto,
                                          data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        w.send_event(ev, event_mask=X.NoEventMask)
        d.flush()

    def pointer(self):
        d = self.xlib()
        q = d.screen().root.query_pointer()
        return q.root_x, q.root_y

    def click(self, x, y, button=1, repeat=1, delay_ms=60):
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", delay_ms, button)

    def click_center(self, acc, **kw):
        x, y, w, h = extents(acc)
        self.click(x + w // 2, y + h // 2, **kw)

    # ------------------------------------------------------------ the program
    def launch(self, exe, args=(), env=None, cwd=None, unset=()):
        e = dict(self.env)
        e.update(env or {})
        for k in unset:
            e.pop(k, None)
        p = subprocess.Popen([exe, *args], env=e, cwd=cwd or os.path.dirname(exe),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.apps.append(p)
        return p

    def wait_exit(self, proc, timeout=DEFAULT_TIMEOUT):
        try:
            return proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    # ------------------------------------------------------------ accessibility
    def app(self, proc, timeout=DEFAULT_TIMEOUT):
        """The accessible application object of a launched process."""
        import pyatspi

        def find():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                a = desktop.getChildAtIndex(i)
                if a is not None and a.get_process_id() == proc.pid:
                    return a
            return None
        return poll(find, timeout, 0.1, f"the accessible application of pid {proc.pid}")

    def wait_for(self, fn, timeout=DEFAULT_TIMEOUT, what="condition"):
        return poll(fn, timeout, 0.05, what)


# ---------------------------------------------------------------- AT-SPI helpers
def role(acc):
    return acc.getRoleName()


def walk(acc, depth=0, max_depth=12):
    if acc is None or depth > max_depth:
        return
    yield acc
    for i in range(acc.childCount):
        yield from walk(acc.getChildAtIndex(i), depth + 1, max_depth)


def find_all(root, role_name=None, name=None, showing=True):
    import pyatspi
    out = []
    for a in walk(root):
        if role_name is not None and a.getRoleName() != role_name:
            continue
        if name is not None and a.name != name:
            continue
        if showing and not a.getState().contains(pyatspi.STATE_SHOWING):
            continue
        out.append(a)
    return out


def find(root, role_name=None, name=None, showing=True):
    r = find_all(root, role_name, name, showing)
    return r[0] if r else None


def extents(acc):
    import pyatspi
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def text_of(acc):
    t = acc.queryText()
    return t.getText(0, -1)


def do_action(acc, index=0):
    return acc.queryAction().doAction(index)


def run(scenarios):
    """Runs the scenarios, a dict of name -> fn(args, checker), and exits with
    the verdict. The accessibility registry binds to one D-Bus session per
    process, so every scenario runs in a fresh process of its own."""
    args = parse_args()
    name = os.path.splitext(os.path.basename(sys.argv[0]))[0]
    if args.scenario is None and len(scenarios) > 1:
        failed = 0
        for s in scenarios:
            r = subprocess.run([sys.executable, sys.argv[0], "--exe", args.exe, "--scenario", s])
            failed += r.returncode != 0
        print(f"{name}: {len(scenarios) - failed} passed, {failed} failed (scenarios)", flush=True)
        sys.exit(1 if failed else 0)
    scenario = args.scenario or next(iter(scenarios))
    c = Checker(f"{name} {scenario}")
    trap(c, scenarios[scenario], args, c)
    sys.exit(c.finish())


def trap(c, fn, *args):
    """Runs fn(*args); an unexpected error fails the checker c with its reason."""
    try:
        return fn(*args)
    except Exception as e:
        import traceback
        traceback.print_exc()
        c.check(False, f"unexpected {type(e).__name__}: {e}")
        return None
