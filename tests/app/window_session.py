# SPDX-License-Identifier: GPL-3.0-or-later
# A private desktop for window tests (Xvfb, D-Bus with the AT-SPI bus, openbox) and the
# program's window as AT-SPI sees it: widgets found by role, rows by name, real XTest input
# where the toolkit says they are. See window_end_to_end_test.py for its use. The program
# gets its own HOME and TMPDIR in session.scratch; a Failure in the `with Session(...)`
# block is reported with a screenshot and ends the script with status 1.
import ctypes, os, random, shutil, signal, subprocess, sys, tempfile, time, traceback  # noqa: E401

TITLE_PREFIX = "Nib_Ostrelm"
SOURCE = os.environ.get("OSTRELM_SOURCE_DIR") or os.path.abspath(os.path.join(os.path.dirname(__file__), "../.."))
pyatspi = None  # imported once the session's bus exists: the import connects to it


def build_file(name):  # a file of the build under test (OSTRELM_BUILD_DIR, else build/ of the source)
    return os.path.join(os.environ.get("OSTRELM_BUILD_DIR") or os.path.join(SOURCE, "build"), name)


Failure = type("Failure", (Exception,), {})  # a check that did not hold


def check(what, expected, actual, timeout=60):
    # Prints "ok: WHAT" or raises a Failure; a function as actual is polled until it returns expected.
    read, last = actual if callable(actual) else lambda: actual, [None]
    wait_for(lambda: last.append(read()) or last[-1] == expected, what, timeout if callable(actual) else 0,
             lambda: f"expected {expected!r}, got {last[-1]!r}")
    print(f"ok: {what}", flush=True)


def wait_for(condition, what, timeout=60, detail=lambda: "timed out"):  # condition()'s first true value, polled
    limit = time.monotonic() + timeout
    while True:
        try:
            value = condition()
        except Exception:  # a widget answering late, or going away as the window changes
            value = None
        if value:
            return value
        if time.monotonic() > limit:
            raise Failure(f"{what}: {detail()}")
        time.sleep(0.1)


def xdotool(*arguments):  # XTest input (keys, typing, the pointer) to the session's X server
    subprocess.run(["xdotool", *map(str, arguments)], check=True, stdout=subprocess.DEVNULL)


def extents(accessible, window_relative=False):  # (x, y, width, height) on the screen or in its window
    return tuple(accessible.queryComponent().getExtents(pyatspi.WINDOW_COORDS if window_relative else pyatspi.DESKTOP_COORDS))


def click_at(box, modifier=None, count=1):
    # The middle of box, count times, holding modifier ("ctrl", "shift"), in one xdotool call: the
    # server takes its events in order. (mousemove --sync waits 15 s when the pointer is there already.)
    held = ["keydown", modifier] if modifier else []
    xdotool("mousemove", box[0] + box[2] // 2, box[1] + box[3] // 2, *held, "click", "--repeat", count,
            "--delay", 80, 1, *(["keyup", modifier] if modifier else []))


class Table:  # a table or tree table; a row is known by the text of its first column
    def __init__(self, accessible):
        self.accessible = accessible

    def _cell(self, row):
        return self.accessible.queryTable().getAccessibleAt(row, 0)

    def _name(self, row):
        cell = self._cell(row)  # an icon and a text share the first column: a cell of cells
        return cell.name or "".join(part.name for part in cell)

    def _showing(self, row):
        return self._cell(row).getState().contains(pyatspi.STATE_SHOWING)

    def rows(self):  # the rows' names, top to bottom (of a tree, the rows of its open branches)
        return [self._name(row) for row in range(self.accessible.queryTable().nRows)]

    def selected(self):
        table = self.accessible.queryTable()
        return [self._name(row) for row in range(table.nRows) if table.isRowSelected(row)]

    def index(self, name, after=-1):  # the first row called name below row `after` (waits for one)
        return wait_for(lambda: 1 + self.rows().index(name, after + 1), f"a row {name!r}") - 1

    def showing(self, row):
        # Where row shows (its part inside the table, on the screen), after the mouse wheel
        # scrolled the table until the row's whole height shows.
        def part():
            (x, y, w, h), (vx, vy, vw, vh) = extents(self._cell(row)), extents(self.accessible)
            left, top, bottom = max(x, vx), max(y, vy), min(y + h, vy + vh)
            if self._showing(row) and bottom - top == h:
                return left, top, min(x + w, vx + vw) - left, h
            above = any(map(self._showing, range(row + 1, self.accessible.queryTable().nRows)))
            xdotool("mousemove", vx + vw // 2, vy + vh // 2, "click", 4 if above else 5)
            time.sleep(0.3)
        return wait_for(part, f"row {row} in view")

    def click(self, name, modifier=None, count=1):  # count 2: a double click
        click_at(self.showing(self.index(name)), modifier, count)

    def select_all(self, timeout=60):
        # The first row clicked, then ctrl+a, until every row is selected: a click in the moment a
        # batch ends may leave the keyboard with the button. Later tries wait longer, for a list of
        # thousands of rows on a busy machine. Counted, not named: thousands of rows.
        tries = []

        def attempt(table=self.accessible.queryTable()):
            click_at(self.showing(0))
            xdotool("key", "ctrl+a")
            tries.append(timeout / 4 if tries else 2)
            return wait_for(lambda: 0 < table.nSelectedRows == table.nRows, "every row selected", tries[-1])
        wait_for(attempt, "every row selected", timeout)


class Window:  # the program as it runs: frame, xid, process; tree and files (Tables), log_text, button
    def __init__(self, process, timeout):
        self.process = process

        def frame():
            if process.poll() is not None:
                raise SystemExit(f"FAIL: the program ended with status {process.returncode} before its window")
            apps = [app for app in pyatspi.Registry.getDesktop(0) if app and app.get_process_id() == process.pid]
            return next(f for f in apps[0] if f.name.startswith(TITLE_PREFIX) and f.getState().contains(pyatspi.STATE_SHOWING))
        self.frame = wait_for(frame, "the program's window", timeout)
        search = ["xdotool", "search", "--onlyvisible", "--pid", str(process.pid), "--name", "^" + TITLE_PREFIX]
        self.xid = wait_for(lambda: subprocess.run(search, capture_output=True, text=True).stdout.split()[0],
                            "the window on the X server", timeout)
        self.tree, self.files = Table(self.find(pyatspi.ROLE_TREE_TABLE)), Table(self.find(pyatspi.ROLE_TABLE))
        self.log_text = self.find(pyatspi.ROLE_TEXT)
        self.button = self.find(pyatspi.ROLE_PUSH_BUTTON, "Convert > TAP")
        wait_for(lambda: self.button.getState().contains(pyatspi.STATE_SHOWING), "the button to show", timeout)

    def find(self, role, name=None):  # the first widget with the role (pyatspi.ROLE_...) and, if given, the name
        def search(accessible):  # not into tables: their cells are many and never what is looked for
            if accessible.getRole() == role and name in (None, accessible.name):
                return accessible
            if accessible.getRole() not in (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE):
                return next(filter(None, map(search, accessible)), None)
        return wait_for(lambda: search(self.frame), f"a {pyatspi.Role(role)} {name or ''}")

    def log(self):
        return self.log_text.queryText().getText(0, -1)

    def press(self, count=1):
        click_at(extents(self.button), count=count)

    def close(self, timeout=60):
        # The window manager's close request; the exit status (TimeoutExpired: still running). A
        # program that ended before shows its status here.
        subprocess.run(["wmctrl", "-i", "-c", self.xid], stderr=subprocess.DEVNULL)
        return self.process.wait(timeout)


class Session:
    # X server, D-Bus and AT-SPI buses, a window manager and a scratch folder; screenshots go
    # to artefacts (OSTRELM_ARTEFACTS, else ./window-artefacts/NAME).
    def __init__(self, name):
        self.name, self.children, self.windows = name, [], []
        self.artefacts = os.environ.get("OSTRELM_ARTEFACTS") or os.path.abspath(os.path.join("window-artefacts", name))

    def __enter__(self):
        global pyatspi
        signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAIL: stopped from outside"))  # a test timeout
        os.makedirs(self.artefacts, exist_ok=True)
        self.scratch = tempfile.mkdtemp(prefix=f"ostrelm {self.name} ")
        for folder in ("home", "tmp"):
            os.mkdir(os.path.join(self.scratch, folder))
        # The AT-SPI bus's socket goes to XDG_RUNTIME_DIR: a short path, as a socket's
        # path has at most 107 bytes and TMPDIR may be long.
        self.runtime = tempfile.mkdtemp(prefix="ostrelm-", dir="/tmp")
        os.environ["DISPLAY"] = ":%d" % self._x_server()
        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address"], stdout=subprocess.PIPE,
                          text=True, env={**os.environ, "XDG_RUNTIME_DIR": self.runtime})
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        os.environ.pop("NO_AT_BRIDGE", None)
        wm = []  # only a window manager delivers close requests; one that ended is started again

        def window_manager():
            if not wm or wm[-1].poll() is not None:
                wm.append(self._spawn(["openbox"]))
            return subprocess.run(["wmctrl", "-m"], capture_output=True).returncode == 0
        wait_for(window_manager, "the window manager", 120)
        pyatspi = __import__("pyatspi")
        return self

    def _x_server(self):
        # A display number far from those that desktops and other tools on this machine take
        # first (0, 1, 99...); Xvfb refuses one whose lock or socket another server holds.
        for number in random.sample(range(300, 3000), 40):
            read, write = os.pipe()
            self.x_server = self._spawn(["Xvfb", f":{number}", "-displayfd", str(write), "-screen", "0",
                                         "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write,))
            os.close(write)
            with os.fdopen(read) as ready:  # the number once it takes clients, else nothing
                if ready.readline().strip() == str(number):
                    return number
            self.children.remove(self.x_server)
            self.x_server.wait()
        raise Failure("Xvfb found no free display")

    def _spawn(self, command, stdout=subprocess.DEVNULL, **options):
        # Each in a process group of its own, ended with this script even when it is killed.
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=stdout, stderr=subprocess.DEVNULL,
                                   start_new_session=True, preexec_fn=lambda: ctypes.CDLL(None).prctl(1, 15), **options)
        self.children.append(process)
        return process

    def start(self, program, folder, env=None, prefix=(), timeout=120):
        # program in folder (after prefix, e.g. valgrind's command line), env added to its
        # environment; its Window once the frame and the button show.
        environment = {**os.environ, "HOME": os.path.join(self.scratch, "home"),
                       "TMPDIR": os.path.join(self.scratch, "tmp"), "GTK_MODULES": "gail:atk-bridge",
                       "GSETTINGS_BACKEND": "memory", "ASAN_OPTIONS": "detect_leaks=0:abort_on_error=1", **(env or {})}
        self.windows.append(subprocess.Popen([*prefix, program], cwd=folder, env=environment))
        return Window(self.windows[-1], timeout)

    def tapes(self, folder, names):
        # Sample tapes copied into folder, names {"a.tzx": "turbo.tzx", ...}, from scripts/make-samples
        # and tzx-gen's two "small" ones (tape-0000.tzx, tape-0001.tzx).
        samples = os.path.join(self.scratch, "samples")
        if not os.path.isdir(samples):
            subprocess.run([os.path.join(SOURCE, "scripts/make-samples"), samples], check=True, stdout=subprocess.DEVNULL)
            subprocess.run([os.path.join(SOURCE, "scripts/tzx-gen"), "small", samples, "--count", "2"], check=True,
                           stdout=subprocess.DEVNULL)
        for name, sample in names.items():
            os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
            shutil.copy(os.path.join(samples, sample), os.path.join(folder, name))

    def screenshot(self, label):  # the whole screen as ARTEFACTS/LABEL.png, to look at; never compared
        path = os.path.join(self.artefacts, label + ".png")
        subprocess.run(["import", "-window", "root", path], stderr=subprocess.DEVNULL)
        return path

    def __exit__(self, kind, error, trace):
        if error is not None:
            print(f"FAIL: {error}" if kind is Failure else "".join(traceback.format_exception(kind, error, trace)))
            print("screenshot:", self.screenshot("failure"), flush=True)
            # Something outside the test ended it? Asked without reaping it: its group is ended below.
            if os.waitid(os.P_PID, self.x_server.pid, os.WEXITED | os.WNOHANG | os.WNOWAIT):
                print("note: the test's X server ended under it")
        for process in self.windows:  # (kill passes over one that ended)
            process.kill()
            process.wait()
        for process in reversed(self.children):  # the bus's services (the AT-SPI bus) share its group
            os.killpg(process.pid, signal.SIGTERM)  # not yet waited for: its group is there
            process.wait()
        shutil.rmtree(self.scratch, ignore_errors=True)
        shutil.rmtree(self.runtime, ignore_errors=True)
        if error is not None:
            sys.exit(1)
