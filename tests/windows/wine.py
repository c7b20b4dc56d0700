"""Windows programs under Wine on a private X server, for the end-to-end test
and the start-up benchmark of the Windows build.

WineSession is an XSession (tests/e2e/harness.py) whose programs run under
Wine in the prefix $WINEPREFIX (made when missing; a temporary one where that
cannot be), in a Japanese locale (ANSI code page 932). Wine draws the window
frames itself, with the metrics of Windows 10, so that the outer rectangles
the programs see are those of Windows. The inspector (winprobe.exe) reads
windows, the clip rectangle and the clipboard through the Win32 API.

    with WineSession(inspector) as w:
        app = w.start(exe)
        board = w.wait_window("ホヌラ")
"""

import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from harness import XSession, poll  # noqa: E402

WINE = os.environ.get("HONURA_WINE", "/usr/lib/wine/wine64")
WINESERVER = os.path.join(os.path.dirname(WINE), "wineserver")

# Per user: what Windows 10 shows at 96 DPI, and Wine drawing the frames
# itself (the window manager only stacks and focuses).
SETTINGS = [
    (r"HKCU\Software\Wine\X11 Driver", "Decorated", "REG_SZ", "N"),
    (r"HKCU\Control Panel\Desktop\WindowMetrics", "PaddedBorderWidth", "REG_SZ", "4"),
]


def usable_prefix(wanted):
    """wanted when it exists or can be made and written, else a fresh temporary one."""
    try:
        os.makedirs(wanted, exist_ok=True)
        probe = tempfile.NamedTemporaryFile(dir=wanted)
        probe.close()
        return wanted, False
    except OSError as e:
        tmp = tempfile.mkdtemp(prefix="honura-wine-")
        print(f"wine: cannot use the prefix {wanted} ({e.strerror}): using {tmp}", flush=True)
        return tmp, True


class Window:
    """A top-level window as the inspector lists it."""

    def __init__(self, line):
        f = dict(re.findall(r"(\w+)=(\S*)", line.split(" title=")[0]))
        self.hwnd = int(f["hwnd"], 16)
        self.pid = int(f["pid"])
        self.rect = tuple(int(v) for v in f["rect"].split(","))
        self.client = tuple(int(v) for v in f["client"].split(","))
        self.style = int(f["style"], 16)
        self.owner = int(f["owner"], 16)
        self.title = line.split(" title=", 1)[1]

    def __repr__(self):
        return f"Window({self.title!r}, rect={self.rect}, client={self.client})"


class WineSession(XSession):
    def __init__(self, inspector, wm=True, prefix=None):
        wanted = prefix or os.environ.get("WINEPREFIX")
        if wanted:
            self.prefix, self.temporary_prefix = usable_prefix(os.path.abspath(wanted))
        else:
            self.prefix, self.temporary_prefix = tempfile.mkdtemp(prefix="honura-wine-"), True
        super().__init__(wm=wm, extra_env={
            "WINEPREFIX": self.prefix,
            "LANG": "ja_JP.UTF-8",
            "LC_ALL": "ja_JP.UTF-8",
            "WINEDEBUG": "-all",
            # No installers for .NET and HTML, no menu entries in the user's desktop.
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        })
        self.inspector = inspector
        self.out = None

    def start(self):
        super().start()
        self.out = self._dir("inspector")
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            self.wine("wineboot", "-i", timeout=300)
        for key, name, kind, value in SETTINGS:
            self.reg_add(key, name, kind, value)
        if self.inspector:
            self.windows()  # the first program of a session waits for Wine's desktop
        return self

    def stop(self):
        # Ends every Windows process of the prefix, then the X server.
        subprocess.run([WINESERVER, "-k"], env=self.env, check=False, capture_output=True)
        subprocess.run([WINESERVER, "-w"], env=self.env, check=False, capture_output=True)
        super().stop()
        if self.temporary_prefix:
            subprocess.run(["rm", "-rf", self.prefix], check=False)

    # ------------------------------------------------------------ Wine
    def wine(self, *args, timeout=120):
        return subprocess.run([WINE, *args], env=self.env, capture_output=True, timeout=timeout)

    def reg_add(self, key, name, kind, value):
        r = self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f")
        if r.returncode != 0:
            raise RuntimeError(f"reg add {key} {name} failed")

    def start_program(self, exe, *args):
        """Starts exe (a Linux path) as Explorer would: in its own folder."""
        p = subprocess.Popen([WINE, exe, *args], env=self.env, cwd=os.path.dirname(exe),
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.apps.append(p)
        return p

    @staticmethod
    def windows_path(path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    # ------------------------------------------------------------ the inspector
    def inspect(self, *args):
        """The inspector's report. Under load a Wine process now and then fails
        to start or hangs at its start: such a run is repeated."""
        out = os.path.join(self.out, "out.txt")
        for attempt in range(3):
            try:
                r = subprocess.run([WINE, self.inspector, self.windows_path(out), *args],
                                   env=self.env, capture_output=True, timeout=30)
                if r.returncode == 0:
                    with open(out, encoding="utf-8") as f:
                        return f.read()
            except subprocess.TimeoutExpired:
                pass
            time.sleep(0.5)
        raise RuntimeError(f"winprobe {' '.join(args)} failed three times")

    def windows(self):
        return [Window(line) for line in self.inspect("windows").splitlines() if line]

    def wait_window(self, title, count=1, timeout=60):
        """The visible top-level windows titled title, once there are count of them.
        They are looked for on the X side first: an inspector started while a Qt
        program starts up can hang in Wine."""
        poll(lambda: len(self.toplevels(name=title)) >= count, timeout, 0.2,
             f"{count} X window(s) titled {title}")

        def found():
            ws = [w for w in self.windows() if w.title == title]
            return ws if len(ws) >= count else None
        return poll(found, timeout, 0.5, f"{count} window(s) titled {title}")

    def clip(self):
        """The clip rectangle in force and the whole screen, as (l, t, r, b) each."""
        f = dict(line.split("=") for line in self.inspect("clip").splitlines() if "=" in line)
        return (tuple(int(v) for v in f["clip"].split(",")),
                tuple(int(v) for v in f["screen"].split(",")))

    def clipboard(self):
        return self.inspect("clipboard")
