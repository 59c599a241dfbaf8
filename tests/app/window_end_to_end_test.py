#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The window as its users meet it: the real program on a private desktop, driven by
# clicks and keys where AT-SPI says its widgets are, judged by what the widgets
# report and by the TAP files on disk.
import filecmp, os, subprocess, window_session as ws  # noqa: E401
from window_session import Session, build_file, check, extents, click_at, xdotool


def geometry(*which):  # xwininfo's figures for ["-id", X window] or ["-root"]
    lines = subprocess.run(["xwininfo", *which], capture_output=True, text=True).stdout.splitlines()
    return {line.split(":")[0].strip(): line.split(":")[1].strip() for line in lines if ":" in line}


taps = lambda: sorted(name for name in os.listdir(start) if name.endswith(".tap"))  # noqa: E731


def converted(*names):  # just these, each as ostrelm-convert writes it; then gone, for the next batch
    check("the TAP files written, each as ostrelm-convert writes it", (list(names),) * 2,
          (taps(), filecmp.cmpfiles(start, reference, names, shallow=False)[0]))
    for name in names:
        os.remove(os.path.join(start, name))


with Session("window_end_to_end_test") as session:
    # A folder as users keep them: tapes, a capitalised one the pattern leaves out,
    # another file, and directories the list must not show.
    start, reference = (os.path.join(session.scratch, name) for name in ("Tapes", "reference"))
    tapes = {"a.tzx": "basic-loader.tzx", "b.tzx": "turbo.tzx", "c.tzx": "pure-tone.tzx", "sub/inner.tzx": "described.tzx"}
    session.tapes(reference, tapes)
    session.tapes(start, {**tapes, "GAME.TZX": "GAME.TZX", "notes.txt": "GAME.TZX", "x.tzx.d/y.tzx": "turbo.tzx"})
    subprocess.run([build_file("ostrelm-convert"), *tapes], cwd=reference, stdout=subprocess.DEVNULL)
    window = session.start(build_file("ostrelm"), start)
    session.screenshot("opened")
    frame, root = geometry("-id", window.xid), geometry("-root")
    centred = abs(int(frame["Absolute upper-left X"]) + 1021 / 2 - int(root["Width"]) / 2) <= 1
    # Motif hints (flags, functions, decorations): resize, move, minimise and close; no maximise.
    hints = subprocess.run(["xprop", "-id", window.xid, "_MOTIF_WM_HINTS"], capture_output=True, text=True).stdout
    check("title, size, centred, window manager hints",
          ("Nib_Ostrelm v. 0.13 by the Ostrelm developers", "1021x700", True, "0x3, 0x2e, 0x3e, 0x0, 0x0"),
          (window.frame.name, f"{frame['Width']}x{frame['Height']}", centred, hints.split(" = ")[-1].strip()))
    check("the list's rows (the tapes, sorted) and the tree's selected row", (["a.tzx", "b.tzx", "c.tzx"], ["Tapes"]),
          (window.files.rows(), window.tree.selected()))

    window.files.click("a.tzx")
    xdotool("key", "ctrl+a")
    check("ctrl+a selects every row", ["a.tzx", "b.tzx", "c.tzx"], window.files.selected)
    window.press()
    c_lines = f"{start}/c.tap: Unsupported block found ($12)\nc.tzx"
    check("the log after the batch", f"a.tzx\nb.tzx\n{c_lines}", window.log)
    converted("a.tap", "b.tap", "c.tap")

    # Typing into the log changes nothing; the clicks after it show that the keys were taken.
    click_at(extents(window.log_text))
    xdotool("key", "ctrl+End", "type", "typed")
    xdotool("key", "BackSpace", "Return")
    window.files.click("a.tzx", count=2)
    window.files.click("c.tzx", "shift")
    check("shift-click selects a range", ["a.tzx", "b.tzx", "c.tzx"], window.files.selected)
    window.files.click("b.tzx", "ctrl")
    check("ctrl-click takes a row out", ["a.tzx", "c.tzx"], window.files.selected)
    check("read-only log; a double click converts nothing", (f"a.tzx\nb.tzx\n{c_lines}", []), (window.log(), taps()))
    window.press()
    check("the log: each batch's lines replace the last's", f"a.tzx\n{c_lines}", window.log)
    converted("a.tap", "c.tap")

    # The tree moves the list: the start folder's first subfolder.
    click_at(window.tree.showing(window.tree.index("sub", window.tree.index("Tapes"))))
    check("the list shows the subfolder", ["inner.tzx"], window.files.rows)
    window.files.click("inner.tzx")
    window.press()
    check("the log after the subfolder's batch", "inner.tzx", window.log)
    start, reference = os.path.join(start, "sub"), os.path.join(reference, "sub")
    converted("inner.tap")

    # Resized to 800x600: the button at the right edge, the splitter beside it.
    xdotool("windowsize", window.xid, 800, 600)
    check("the button at the right edge", (680, 0, 120, 29), lambda: extents(window.button, True))
    check("the splitter's width", 679, extents(window.find(ws.pyatspi.ROLE_SPLIT_PANE), True)[2])
    session.screenshot("resized")
    check("exit status after the close request", 0, window.close())
