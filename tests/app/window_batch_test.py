#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The window through a batch of thousands of tapes, as a user meets it: it
# answers within half a second all the while, its log grows as the batch runs,
# a double click converts once with every message that ostrelm-convert prints,
# and a close request ends the program soon, during a batch with only whole TAP
# files left and while the window is still opening.
import filecmp, os, subprocess, sys, time, window_session as ws  # noqa: E401

with ws.Session("window_batch") as session:
    tapes, whole, folders = (os.path.join(session.scratch, name) for name in ("tapes", "whole", "folders"))
    # Tapes of every kind, for messages, and enough of 48 KB for a batch of seconds.
    for kind, count in (("set", "1000"), ("small", "3000")):
        subprocess.run([sys.executable, os.path.join(ws.SOURCE, "scripts/tzx-gen"), kind, tapes, "--count", count],
                       check=True)
    convert = subprocess.run([ws.build_file("ostrelm-convert"), *sorted(os.listdir(tapes))], cwd=tapes,
                             capture_output=True, text=True)
    for name in filter(lambda name: name.endswith(".tap"), os.listdir(tapes)):  # the whole ones, to compare
        os.renames(os.path.join(tapes, name), os.path.join(whole, name))
    written = lambda: [name for name in os.listdir(tapes) if name.endswith(".tap")]  # noqa: E731

    def batch(clicks):
        window = session.start(ws.build_file("ostrelm"), tapes)
        window.files.select_all()
        window.press(clicks)
        return window

    window, slowest, lengths, total = batch(2), 0, set(), len(os.listdir(whole))
    while len(written()) < total:
        asked = time.monotonic()
        length = window.log_text.queryText().characterCount
        slowest = max(slowest, time.monotonic() - asked)
        if 0 < len(written()) < total:
            lengths.add(length)
        time.sleep(0.05)
    ws.check("the window answered within 0.5 s; the log grew while the batch ran", (True, True),
             (slowest < 0.5, len(lengths) > 2))
    ws.check("the log after a double click", convert.stdout.rstrip("\n"), window.log())
    ws.check("exit status", 0, window.close())

    for name in written():
        os.unlink(os.path.join(tapes, name))
    window = batch(1)
    ws.wait_for(written, "the first TAP file")
    time.sleep(1)
    ws.check("exit status within 3 s of a close request during the batch", 0, window.close(timeout=3))
    left = written()
    ws.check("only some TAP files, each whole", (True, []), (0 < len(left) < total,
             [name for name in left if not filecmp.cmp(os.path.join(tapes, name), os.path.join(whole, name), False)]))

    # The tree reads a folder of 10,000 folders while the window opens.
    for number in range(10000):
        os.makedirs(os.path.join(folders, str(number)))
    environment = {**os.environ, "HOME": os.path.join(session.scratch, "home"), "ASAN_OPTIONS": "detect_leaks=0"}
    program = subprocess.Popen([ws.build_file("ostrelm")], cwd=folders, env=environment)
    ws.wait_for(lambda: subprocess.run(["wmctrl", "-c", ws.TITLE_PREFIX]).returncode == 0, "the window to close")
    ws.check("exit status after a close request as the window appears", 0, program.wait(30))
