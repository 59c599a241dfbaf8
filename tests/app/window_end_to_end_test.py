#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The window as its users meet it: the real program on a private desktop,
driven by clicks and keys where AT-SPI says its widgets are, judged by what
the widgets report and by the TAP files on disk."""
import filecmp
import os
import shutil
import subprocess

import window_session as ws
from window_session import check, expect, xdotool


def taps(folder):
    return sorted(name for name in os.listdir(folder) if name.endswith(".tap"))


def x_window(which, field):  # which: ["-id", X window] or ["-root"]
    lines = subprocess.run(["xwininfo", *which], capture_output=True, text=True).stdout.splitlines()
    return int(next(line.split(":")[1] for line in lines if line.strip().startswith(field)))


def same_as_reference(*names):
    for name in names:
        check(f"{name} as ostrelm-convert writes it", True,
              filecmp.cmp(os.path.join(start, name), os.path.join(reference, name), shallow=False))


with ws.Session("window_end_to_end_test") as session:
    # A folder as users keep them: tapes, a capitalised one the pattern leaves
    # out, another file, and directories the list must not show.
    samples, start, reference = (os.path.join(session.scratch, name) for name in ("samples", "Tapes", "reference"))
    subprocess.run([os.path.join(ws.SOURCE, "scripts/make-samples"), samples], check=True, stdout=subprocess.DEVNULL)
    for folder in (start, reference):
        os.makedirs(os.path.join(folder, "sub"))
        os.makedirs(os.path.join(folder, "x.tzx.d"))
        for sample, name in (("basic-loader", "a.tzx"), ("turbo", "b.tzx"), ("pure-tone", "c.tzx"),
                             ("described", "sub/inner.tzx")):
            shutil.copy(os.path.join(samples, sample + ".tzx"), os.path.join(folder, name))
    shutil.copy(os.path.join(samples, "GAME.TZX"), start)
    open(os.path.join(start, "notes.txt"), "w").write("notes\n")
    subprocess.run([ws.build_file("ostrelm-convert"), "a.tzx", "b.tzx", "c.tzx", "sub/inner.tzx"], cwd=reference,
                   stdout=subprocess.DEVNULL)

    window = session.start(ws.build_file("ostrelm"), start)
    files = window.files
    session.screenshot("opened")
    check("title", "Nib_Ostrelm v. 0.13 by the Ostrelm developers", window.frame.name)
    check("size", (1021, 700), (x_window(["-id", window.xid], "Width"), x_window(["-id", window.xid], "Height")))
    left = x_window(["-id", window.xid], "Absolute upper-left X")
    check("centred", True, abs(left + 1021 / 2 - x_window(["-root"], "Width") / 2) <= 1)
    # flags, functions, decorations: resize, move, minimise and close; no maximise.
    hints = subprocess.run(["xprop", "-id", window.xid, "_MOTIF_WM_HINTS"], capture_output=True, text=True).stdout
    check("window manager hints", "0x3, 0x2e, 0x3e, 0x0, 0x0", hints.split(" = ")[-1].strip())
    check("the list's rows: the tapes, sorted", ["a.tzx", "b.tzx", "c.tzx"], files.rows())
    check("the tree's selected row", ["Tapes"], window.tree.selected())

    # Every row, then the button: each TAP file as ostrelm-convert writes it.
    files.click("a.tzx")
    xdotool("key", "ctrl+a")
    expect("ctrl+a selects every row", ["a.tzx", "b.tzx", "c.tzx"], files.selected)
    window.press()
    c_lines = f"{start}/c.tap: Unsupported block found ($12)\nc.tzx"
    log = f"a.tzx\nb.tzx\n{c_lines}"
    expect("the log after the batch", log, window.log)
    same_as_reference("a.tap", "b.tap", "c.tap")

    # Typing into the log changes nothing; the clicks after it show that the keys were taken.
    ws.click_at(ws.extents(window.log_text))
    xdotool("key", "ctrl+End", "type", "typed")
    xdotool("key", "BackSpace", "Return")
    for tap in taps(start):
        os.remove(os.path.join(start, tap))
    files.click("c.tzx")
    files.click("a.tzx", "ctrl")
    expect("ctrl-click adds a row", ["a.tzx", "c.tzx"], files.selected)
    check("read-only log", log, window.log())
    window.press()
    log = f"a.tzx\n{c_lines}"  # each batch's lines replace the last batch's
    expect("the log after the ctrl-clicked rows' batch", log, window.log)
    check("ctrl-click: those rows converted", ["a.tap", "c.tap"], taps(start))
    for tap in taps(start):
        os.remove(os.path.join(start, tap))
    files.click("b.tzx", count=2)
    files.click("a.tzx", "ctrl")
    expect("a double click, then ctrl-click", ["a.tzx", "b.tzx"], files.selected)
    check("a double click converts nothing", ([], log), (taps(start), window.log()))
    files.click("a.tzx")
    files.click("c.tzx", "shift")
    expect("shift-click selects a range", ["a.tzx", "b.tzx", "c.tzx"], files.selected)

    # The tree moves the list: the start folder's first subfolder.
    ws.click_at(window.tree.showing(window.tree.index("sub", window.tree.index("Tapes"))))
    expect("the list shows the subfolder", ["inner.tzx"], files.rows)
    files.click("inner.tzx")
    window.press()
    expect("the log after the subfolder's batch", "inner.tzx", window.log)
    start = os.path.join(start, "sub")
    reference = os.path.join(reference, "sub")
    same_as_reference("inner.tap")

    # Resized to 800x600: the button at the right edge, the splitter beside it.
    xdotool("windowsize", window.xid, 800, 600)
    expect("the button at the right edge", (680, 0, 120, 29), lambda: ws.extents(window.button, True))
    check("the splitter's width", 679, ws.extents(window.find(ws.pyatspi.ROLE_SPLIT_PANE), True)[2])
    session.screenshot("resized")
    check("exit status after the close request", 0, window.close())
