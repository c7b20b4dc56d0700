"""The desktops the program is tried on, each with the pointer its users move.

GNOME (mutter) and KDE Plasma (KWin) run as Wayland compositors without a
screen, the program on their XWayland; X11 is Xvfb, with the openbox window
manager or without any. XTest moves only XWayland's copy of the pointer, so
on the Wayland desktops the compositor's own pointer is moved instead:
through mutter's RemoteDesktop D-Bus API (one session kept open for the whole
run: without one the headless seat has no pointer at all), and through KWin's
fake-input Wayland protocol (tests/e2e/wayland/fakeinput.c).

Both compositors take X display :0 and let no one choose another: the caller
runs this inside private mount and network namespaces (unshare -mn) with a
/tmp of its own, so that nothing collides with another X server on the
machine, and in a process namespace of its own, so that nothing outlives the
run (scripts/check-wayland.sh).

    with Desktop("gnome", fakeinput=None) as d:
        d.mouse.goto(100, 100)
"""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import poll  # noqa: E402

KINDS = ("gnome", "kde", "x11-openbox", "x11")
WAYLAND_NAME = "honura-wayland"
BTN_LEFT = 272  # the left button's evdev code
STEP = 50  # a long push is made of motions this long, as a mouse sends them


class StartFailed(RuntimeError):
    pass


class Desktop(harness.XSession):
    def __init__(self, kind, fakeinput=None, size=(1024, 768)):
        super().__init__(wm=kind == "x11-openbox", size=size)
        self.kind = kind
        self.fakeinput = fakeinput
        self.mouse = None
        self.compositor_log = None

    @property
    def wayland(self):
        return self.kind in ("gnome", "kde")

    def start(self):
        try:
            super().start()
            if self.kind == "gnome":
                self.mouse = MutterPointer(self)
            elif self.kind == "kde":
                self.mouse = KWinPointer(self)
            else:
                self.mouse = XTestPointer(self)
        except BaseException:
            self.stop()
            raise
        return self

    def stop(self):
        if self.mouse is not None:
            self.mouse.close()
        super().stop()

    # ------------------------------------------------------------ compositors
    def start_server(self):
        if not self.wayland:
            return super().start_server()
        if os.path.exists("/tmp/.X11-unix/X0"):
            raise StartFailed("X display :0 is taken: run inside private namespaces (unshare -mn)")
        os.makedirs("/tmp/.X11-unix", mode=0o1777, exist_ok=True)
        os.chmod("/tmp/.X11-unix", 0o1777)
        self.compositor_log = os.path.join(self._dir("log"), f"{self.kind}.log")
        log = open(self.compositor_log, "w")
        env = dict(self.env)
        w, h = self.size
        if self.kind == "gnome":
            env["GSETTINGS_BACKEND"] = "memory"
            cmd = ["mutter", "--headless", "--wayland", "--wayland-display", WAYLAND_NAME,
                   "--virtual-monitor", f"{w}x{h}"]
        else:
            # The installed kwin_wayland carries file capabilities, which this
            # sandbox refuses to start; a copy carries none.
            kwin = os.path.join(self._dir("bin"), "kwin_wayland")
            shutil.copy(shutil.which("kwin_wayland") or "/usr/bin/kwin_wayland", kwin)
            self._write_kwinrc()
            env.update({"KWIN_WAYLAND_NO_PERMISSION_CHECKS": "1", "KWIN_COMPOSE": "Q",
                        "QT_LOGGING_RULES": "kwin_scripting.debug=true"})
            cmd = [kwin, "--virtual", "--xwayland", "--socket", WAYLAND_NAME, "--width", str(w),
                   "--height", str(h), "--no-lockscreen"]
        proc = subprocess.Popen(cmd, env=env, stdout=log, stderr=subprocess.STDOUT)
        self.procs.append(proc)

        def ready():
            if proc.poll() is not None:
                raise StartFailed(f"{cmd[0]} ended at start ({self._last_log_line()})")
            if not os.path.exists("/tmp/.X11-unix/X0"):
                return False
            auth = [f for f in os.listdir(self.env["XDG_RUNTIME_DIR"])
                    if f.startswith(".mutter-Xwaylandauth.")]
            if self.kind == "gnome" and not auth:
                return False
            if auth:
                self.env["XAUTHORITY"] = os.environ["XAUTHORITY"] = os.path.join(
                    self.env["XDG_RUNTIME_DIR"], auth[0])
            return subprocess.run(["xdpyinfo", "-display", ":0"], env=self.env,
                                  capture_output=True).returncode == 0
        try:
            poll(ready, timeout=60, interval=0.1, what=f"{self.kind}'s XWayland")
        except TimeoutError:
            raise StartFailed(f"{cmd[0]} started no XWayland within 60 s "
                              f"({self._last_log_line()})") from None
        return ":0"

    def _last_log_line(self):
        with open(self.compositor_log, errors="replace") as f:
            lines = [line.strip() for line in f if line.strip()]
        return lines[-1] if lines else "nothing logged"

    def _write_kwinrc(self):
        """Screen edges and corners without actions: the top-left corner would
        push the pointer back by a pixel."""
        edges = ("Top", "Bottom", "Left", "Right", "TopLeft", "TopRight", "BottomLeft",
                 "BottomRight")
        with open(os.path.join(self.env["XDG_CONFIG_HOME"], "kwinrc"), "w") as f:
            f.write("[ElectricBorders]\n" + "".join(f"{e}=None\n" for e in edges))
            f.write("[Effect-windowview]\nBorderActivateAll=9\n"
                    "[Effect-overview]\nBorderActivate=9\n"
                    "[Windows]\nElectricBorders=0\nElectricBorderDelay=0\n")

    def wayland_env(self):
        return dict(self.env, WAYLAND_DISPLAY=WAYLAND_NAME)

    def backdrop(self):
        """A window under every other, covering the screen (a desktop's icons):
        over it the X server learns where the compositor's pointer is, which it
        does only over the X windows."""
        from Xlib import X, Xatom
        d = self.xlib()
        s = d.screen()
        w = s.root.create_window(0, 0, self.size[0], self.size[1], 0, s.root_depth,
                                 background_pixel=s.black_pixel)
        w.change_property(d.intern_atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32,
                          [d.intern_atom("_NET_WM_WINDOW_TYPE_DESKTOP")])
        w.set_wm_name("backdrop")
        w.map()
        d.sync()
        poll(lambda: w.get_attributes().map_state == X.IsViewable, what="the backdrop")
        return w


class Pointer:
    """The desktop's own pointer: goto (where the pointer is known), relative
    motion, the left button, and where the desktop itself has the pointer, where
    it tells (None where it does not)."""

    def __init__(self, desktop):
        self.desktop = desktop

    def x_pointer(self):
        return self.desktop.pointer()

    def push(self, dx, dy):
        """A long push, in motions of STEP pixels."""
        n = max(1, round(max(abs(dx), abs(dy)) / STEP))
        for _ in range(n):
            self.rel(dx / n, dy / n)

    def click(self, repeat=1, gap=0.06):
        for i in range(repeat):
            if i:
                time.sleep(gap)
            self.button(True)
            self.button(False)

    def position(self):
        return None

    def close(self):
        pass


class XTestPointer(Pointer):
    """X11: the X server's pointer is the only one; XTest moves it."""

    def rel(self, dx, dy):
        from Xlib import X
        from Xlib.ext import xtest
        d = self.desktop.xlib()
        xtest.fake_input(d, X.MotionNotify, detail=1, x=round(dx), y=round(dy))
        d.sync()

    def goto(self, x, y):
        from Xlib import X
        from Xlib.ext import xtest
        d = self.desktop.xlib()
        xtest.fake_input(d, X.MotionNotify, detail=0, root=d.screen().root, x=x, y=y)
        d.sync()

    def button(self, pressed):
        from Xlib import X
        from Xlib.ext import xtest
        d = self.desktop.xlib()
        xtest.fake_input(d, X.ButtonPress if pressed else X.ButtonRelease, 1)
        d.sync()

    def position(self):
        return self.x_pointer()


class MutterPointer(Pointer):
    """GNOME: a RemoteDesktop session of mutter's. Its absolute motion needs a
    screen-cast stream; relative motion does not, so goto moves relatively
    from where the X server has the pointer (the same as mutter's while it is
    over an X window)."""

    def __init__(self, desktop):
        super().__init__(desktop)
        import gi
        gi.require_version("Gio", "2.0")
        from gi.repository import Gio, GLib
        self.GLib = GLib
        self.bus = Gio.DBusConnection.new_for_address_sync(
            desktop.env["DBUS_SESSION_BUS_ADDRESS"],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        self.session = self._call("/org/gnome/Mutter/RemoteDesktop",
                                  "org.gnome.Mutter.RemoteDesktop", "CreateSession", None)[0]
        self._session_call("Start", None)
        w, h = desktop.size
        self.rel(-2 * w, -2 * h)  # into the top-left corner, where the pointer is known

    def _call(self, path, interface, method, args):
        from gi.repository import Gio
        return self.bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, args,
                                  None, Gio.DBusCallFlags.NONE, 10000, None).unpack()

    def _session_call(self, method, args):
        return self._call(self.session, "org.gnome.Mutter.RemoteDesktop.Session", method, args)

    def rel(self, dx, dy):
        self._session_call("NotifyPointerMotionRelative",
                           self.GLib.Variant("(dd)", (float(dx), float(dy))))

    def button(self, pressed):
        self._session_call("NotifyPointerButton", self.GLib.Variant("(ib)", (BTN_LEFT, pressed)))
        self.bus.flush_sync(None)

    def goto(self, x, y):
        for _ in range(3):
            px, py = self.x_pointer()
            if (px, py) == (x, y):
                return
            self.rel(x - px, y - py)
            time.sleep(0.05)

    def close(self):
        try:
            self._session_call("Stop", None)
        except Exception:
            pass


class KWinPointer(Pointer):
    """KDE: KWin's fake input, through tests/e2e/wayland/fakeinput.c; KWin's
    own idea of the pointer is read through its scripting interface."""

    def __init__(self, desktop):
        super().__init__(desktop)
        if not desktop.fakeinput or not os.access(desktop.fakeinput, os.X_OK):
            raise StartFailed(f"no fake-input client at {desktop.fakeinput}")
        self.proc = subprocess.Popen([desktop.fakeinput], env=desktop.wayland_env(),
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        if self.proc.stdout.readline().strip() != "ready":
            raise StartFailed("the fake-input client could not connect to KWin")
        import gi
        gi.require_version("Gio", "2.0")
        from gi.repository import Gio, GLib
        self.Gio, self.GLib = Gio, GLib
        self.bus = Gio.DBusConnection.new_for_address_sync(
            desktop.env["DBUS_SESSION_BUS_ADDRESS"],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        self.asked = 0

    def _command(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        answer = self.proc.stdout.readline().strip()
        if answer != "ok":
            raise RuntimeError(f"fake input: {line!r} answered {answer!r}")

    def rel(self, dx, dy):
        self._command(f"rel {dx} {dy}")

    def goto(self, x, y):
        # An absolute move right before a click: after relative motion alone a
        # click on a decorated X11 window reached X at twice its coordinates.
        self._command(f"abs {x} {y}")

    def button(self, pressed):
        self._command(f"button {BTN_LEFT} {1 if pressed else 0}")

    def _kwin(self, path, interface, method, args=None):
        return self.bus.call_sync("org.kde.KWin", path, interface, method, args, None,
                                  self.Gio.DBusCallFlags.NONE, 10000, None).unpack()

    def position(self):
        """KWin's pointer, as a script running inside KWin prints it to its log."""
        self.asked += 1
        tag = f"HONURA-POINTER-{self.asked}"
        script = os.path.join(self.desktop._dir("log"), "pointer.js")
        with open(script, "w") as f:
            f.write(f'print("{tag} " + workspace.cursorPos.x + " " + workspace.cursorPos.y);\n')
        V = self.GLib.Variant
        self._kwin("/Scripting", "org.kde.kwin.Scripting", "loadScript", V("(ss)", (script, tag)))
        self._kwin("/Scripting", "org.kde.kwin.Scripting", "start")

        def printed():
            with open(self.desktop.compositor_log, errors="replace") as f:
                for line in f:
                    if tag + " " in line:
                        x, y = line.split(tag + " ")[1].split()[:2]
                        return int(x), int(y)
            return None
        try:
            return poll(printed, timeout=5, interval=0.02, what="KWin's pointer")
        finally:
            self._kwin("/Scripting", "org.kde.kwin.Scripting", "unloadScript", V("(s)", (tag,)))

    def close(self):
        if self.proc.poll() is None:
            self.proc.stdin.close()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
