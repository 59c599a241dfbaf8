# SPDX-License-Identifier: GPL-3.0-or-later
"""A private desktop for window tests, and the program's window as AT-SPI sees it.

    import window_session as ws
    with ws.Session("my_test") as session:
        window = session.start(ws.build_file("ostrelm"), folder)  # waits for the frame
        window.files.click("a.tzx")                                # real XTest input
        window.files.click("c.tzx", "ctrl")
        ws.expect("ctrl-click", ["a.tzx", "c.tzx"], window.files.selected)  # waits for it
        window.press()                                             # the "Convert > TAP" button
        ws.wait_for(lambda: window.log().endswith("c.tzx"), "the batch")
        ws.check("exit status", 0, window.close())

Session(name) starts an X server (Xvfb, on a display it picks itself), a
D-Bus session bus with the AT-SPI bus behind it, and a window manager, and
makes a scratch folder (session.scratch, under TMPDIR, its name holding a
space) with the program's own HOME and TMPDIR in it. Screenshots go to
session.artefacts (OSTRELM_ARTEFACTS, else ./window-artefacts/NAME). Leaving
the `with` block ends everything it started; a Failure or error inside it is
reported with a screenshot and ends the script with status 1.

check(what, expected, actual), expect(what, expected, get): "ok: what", or a Failure.
wait_for(condition, what): polls, returns condition()'s first true value.
Window: frame, xid (the X window), process, tree and files (Table), log_text
and button (the accessibles), find(role, name), log(), press(), alive(), close().
Table: rows(), selected(), index(name), showing(row), click(name, modifier, count), select_all().

Nothing here depends on pixel colours, row heights, coordinates, the theme,
the fonts or the screen size: widgets are found by their role, rows by their
names, and input goes where the toolkit says the widget is.
"""
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

TITLE_PREFIX = "Nib_Ostrelm"
BUTTON_LABEL = "Convert > TAP"
SOURCE = os.environ.get("OSTRELM_SOURCE_DIR") or os.path.abspath(os.path.join(os.path.dirname(__file__), "../.."))
pyatspi = None  # imported once the session's bus exists: the import connects to it


def build_file(name):
    """A file of the build under test (OSTRELM_BUILD_DIR, else build/ of the source)."""
    return os.path.join(os.environ.get("OSTRELM_BUILD_DIR") or os.path.join(SOURCE, "build"), name)


def _end_with_parent():
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


class Failure(Exception):
    """A check that did not hold."""


def check(what, expected, actual):
    """Prints "ok: WHAT", or raises Failure naming both values."""
    if expected != actual:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")
    print(f"ok: {what}", flush=True)


def expect(what, expected, get, timeout=60):
    """Like check, for a value that comes in time: polls get() until it returns expected."""
    last = []
    wait_for(lambda: last.append(get()) or last[-1] == expected, what, timeout, lambda: f", the last value {last[-1:]!r}")
    print(f"ok: {what}", flush=True)


def wait_for(condition, what, timeout=60, detail=lambda: ""):
    """Polls condition() until it returns something true, and returns that;
    raises Failure after timeout seconds (generous: the machine may be busy)."""
    limit = time.monotonic() + timeout
    while True:
        try:
            value = condition()
        except Exception:  # a widget answering late, or going away as the window changes
            value = None
        if value:
            return value
        if time.monotonic() > limit:
            raise Failure(f"timed out waiting for {what}{detail()}")
        time.sleep(0.1)


def xdotool(*arguments):
    """XTest input (keys, typing, the pointer) to the session's X server."""
    subprocess.run(["xdotool", *map(str, arguments)], check=True, stdout=subprocess.DEVNULL)


def extents(accessible, window_relative=False):
    """(x, y, width, height) on the screen, or relative to its top-level window."""
    box = accessible.queryComponent().getExtents(pyatspi.WINDOW_COORDS if window_relative else pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def _centre(box):
    return box[0] + box[2] // 2, box[1] + box[3] // 2


def _overlap(a, b):
    x, y = max(a[0], b[0]), max(a[1], b[1])
    right, bottom = min(a[0] + a[2], b[0] + b[2]), min(a[1] + a[3], b[1] + b[3])
    return (x, y, right - x, bottom - y) if right > x and bottom > y else None


def click_at(box, modifier=None, count=1):
    """Clicks the middle of box (screen coordinates) count times, holding modifier
    ("ctrl" or "shift"). One xdotool call: the server takes its events in order.
    (xdotool's mousemove --sync waits 15 seconds when the pointer is there already.)"""
    held = [modifier] if modifier else []
    xdotool("mousemove", *_centre(box), *(["keydown", *held] if held else []),
            "click", "--repeat", count, "--delay", 80, 1, *(["keyup", *held] if held else []))


class Table:
    """A table or tree table; a row is known by the text of its first column."""

    def __init__(self, accessible):
        self.accessible = accessible

    def _cell(self, row):
        return self.accessible.queryTable().getAccessibleAt(row, 0)

    def _name(self, row):
        cell = self._cell(row)  # an icon and a text share the first column: a cell of cells
        return cell.name or "".join(part.name for part in cell)

    def _showing(self, row):
        return self._cell(row).getState().contains(pyatspi.STATE_SHOWING)

    def rows(self):
        """The names of the rows, top to bottom (of a tree, the rows of its open branches)."""
        return [self._name(row) for row in range(self.accessible.queryTable().nRows)]

    def selected(self):
        """The names of the selected rows, top to bottom."""
        table = self.accessible.queryTable()
        return [self._name(row) for row in range(table.nRows) if table.isRowSelected(row)]

    def index(self, name, after=-1):
        """The number of the first row called name below row `after` (waits for one)."""
        return wait_for(lambda: next((row + 1 for row, found in enumerate(self.rows())
                                      if row > after and found == name), None), f"a row {name!r}") - 1

    def showing(self, row):
        """Where row shows on the screen (its part inside the table), the mouse
        wheel scrolling the table until the whole row's height shows."""
        def part():
            view, cell = extents(self.accessible), extents(self._cell(row))
            inside = _overlap(cell, view) if self._showing(row) else None
            if inside and inside[3] == cell[3]:
                return inside
            above = any(self._showing(later) for later in range(row + 1, self.accessible.queryTable().nRows))
            xdotool("mousemove", *_centre(view), "click", 4 if above else 5)
            time.sleep(0.3)
        return wait_for(part, f"row {row} in view")

    def select_all(self, timeout=60):
        """Clicks the first row and presses ctrl+a until every row is selected: the
        list may still be read again after a batch, which takes back a selection."""
        def attempt():
            self.click(self.rows()[0])
            xdotool("key", "ctrl+a")
            return wait_for(lambda: self.selected() == self.rows(), "every row selected", timeout / 4)
        wait_for(attempt, "every row selected", timeout)
        print("ok: every row selected", flush=True)

    def click(self, name, modifier=None, count=1):
        """Clicks the row called name, holding modifier (None, "ctrl" or "shift"); count 2 double-clicks."""
        click_at(self.showing(self.index(name)), modifier, count)


class Window:
    """The program as it runs: its frame, its widgets found by role, its exit."""

    def __init__(self, session, process, timeout):
        self.session, self.process = session, process

        def frame():
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.get_process_id() == process.pid:
                    for child in app:
                        if child.name.startswith(TITLE_PREFIX) and child.getState().contains(pyatspi.STATE_SHOWING):
                            return child
            if process.poll() is not None:
                raise Failure(f"the program ended with status {process.returncode} before its window showed")
        self.frame = wait_for(frame, "the program's window", timeout)
        search = ["xdotool", "search", "--onlyvisible", "--pid", str(process.pid), "--name", "^" + TITLE_PREFIX]
        self.xid = wait_for(lambda: subprocess.run(search, capture_output=True, text=True).stdout.split()[0],
                            "the window on the X server", timeout)
        self.tree = Table(self.find(pyatspi.ROLE_TREE_TABLE))
        self.files = Table(self.find(pyatspi.ROLE_TABLE))
        self.log_text = self.find(pyatspi.ROLE_TEXT)
        self.button = self.find(pyatspi.ROLE_PUSH_BUTTON, BUTTON_LABEL)
        wait_for(lambda: self.button.getState().contains(pyatspi.STATE_SHOWING), "the button to show", timeout)

    def find(self, role, name=None):
        """The first widget with the role (a pyatspi.ROLE_...) and, if given, the name."""
        def search(accessible):  # not into tables: their cells are many and never what is looked for
            if accessible.getRole() == role and name in (None, accessible.name):
                return accessible
            if accessible.getRole() not in (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE):
                return next(filter(None, map(search, accessible)), None)
        return wait_for(lambda: search(self.frame), f"a {pyatspi.Role(role)} {name or ''}")

    def log(self):
        """The log's whole text."""
        text = self.log_text.queryText()
        return text.getText(0, text.characterCount)

    def press(self):
        """Clicks the "Convert > TAP" button where it shows."""
        click_at(extents(self.button))

    def alive(self):
        return self.process.poll() is None

    def close(self, timeout=60):
        """Sends the window manager's close request; returns the exit status (None: still running)."""
        subprocess.run(["wmctrl", "-i", "-c", self.xid], check=True)
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None


class Session:
    """X server, D-Bus and AT-SPI buses, a window manager and a scratch folder."""

    def __init__(self, name, screen="1280x1024x24"):
        self.name, self.screen = name, screen
        self.artefacts = os.environ.get("OSTRELM_ARTEFACTS") or os.path.abspath(os.path.join("window-artefacts", name))
        self.children, self.windows = [], []

    def __enter__(self):
        global pyatspi
        signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAIL: stopped from outside"))  # a test timeout
        os.makedirs(self.artefacts, exist_ok=True)
        self.scratch = tempfile.mkdtemp(prefix=f"ostrelm {self.name} ")
        for folder in ("home", "tmp"):
            os.mkdir(os.path.join(self.scratch, folder))
        read, write = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", self.screen, "-nolisten", "tcp"],
                    stdout=subprocess.DEVNULL, pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as display:
            os.environ["DISPLAY"] = ":" + display.readline().strip()
        # The AT-SPI bus's socket goes to XDG_RUNTIME_DIR: a short path of its own, as
        # a socket's path has at most 107 bytes and TMPDIR may be long.
        self.runtime = tempfile.mkdtemp(prefix="ostrelm-", dir="/tmp")
        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address"], stdout=subprocess.PIPE,
                          text=True, env={**os.environ, "XDG_RUNTIME_DIR": self.runtime})
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        os.environ.pop("NO_AT_BRIDGE", None)
        self._spawn(["openbox"], stdout=subprocess.DEVNULL)  # only a window manager delivers close requests
        wait_for(lambda: subprocess.run(["wmctrl", "-m"], capture_output=True).returncode == 0, "the window manager")
        import pyatspi as module
        pyatspi = module
        return self

    def _spawn(self, command, **options):
        # Each in a process group of its own, ended with this script even when it is killed.
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   start_new_session=True, preexec_fn=_end_with_parent, **options)
        self.children.append(process)
        return process

    def start(self, program, folder, env=None, prefix=(), timeout=120):
        """Starts program in folder (after prefix, e.g. a valgrind command line),
        its HOME and TMPDIR in the scratch folder and env added to the environment;
        returns its Window once the frame and the button show."""
        environment = {**os.environ, "HOME": os.path.join(self.scratch, "home"),
                       "TMPDIR": os.path.join(self.scratch, "tmp"), "GTK_MODULES": "gail:atk-bridge",
                       "GSETTINGS_BACKEND": "memory", "ASAN_OPTIONS": "detect_leaks=0:abort_on_error=1", **(env or {})}
        window = Window(self, subprocess.Popen([*prefix, program], cwd=folder, env=environment), timeout)
        self.windows.append(window)
        return window

    def screenshot(self, label):
        """The whole screen as ARTEFACTS/LABEL.png, to look at; never compared."""
        path = os.path.join(self.artefacts, label + ".png")
        subprocess.run(["import", "-window", "root", path], stderr=subprocess.DEVNULL)
        return path

    def __exit__(self, kind, error, trace):
        if error is not None:
            print(f"FAIL: {error}" if kind is Failure else "".join(traceback.format_exception(kind, error, trace)))
            print("screenshot:", self.screenshot("failure"), flush=True)
        for window in self.windows:
            if window.alive():
                window.process.kill()
                window.process.wait()
        for process in reversed(self.children):
            try:  # the bus's activated services (the AT-SPI bus) share its process group
                os.killpg(process.pid, 15)
            except ProcessLookupError:
                pass
            process.wait()
        shutil.rmtree(self.scratch, ignore_errors=True)
        shutil.rmtree(self.runtime, ignore_errors=True)
        if error is not None:
            sys.exit(1)
