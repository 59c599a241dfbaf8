#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The window program when the disk changes under it: files that vanish or turn
into directories after the list was read, a shown directory that moved away,
and a disk that fills up. After every press the program must still run, and
the close request must still end it with status 0."""
import filecmp
import os
import shutil
import subprocess

import window_session as ws
from window_session import check, expect


def entries(folder):
    return sorted(os.listdir(folder))


def convert_all(window, log):
    """Every row selected, then the button; the log must come to read log."""
    window.files.select_all()
    window.press()
    expect("the log", log, window.log)
    check("still running", True, window.alive())


def same_as_reference(folder, *names):
    for name in names:
        check(f"{name} as ostrelm-convert writes it", True,
              filecmp.cmp(os.path.join(folder, name), os.path.join(reference, name), shallow=False))


with ws.Session("window_faults_test") as session:
    samples, reference, start = (os.path.join(session.scratch, name) for name in ("samples", "reference", "Tapes"))
    subprocess.run([os.path.join(ws.SOURCE, "scripts/make-samples"), samples], check=True, stdout=subprocess.DEVNULL)
    subprocess.run([os.path.join(ws.SOURCE, "scripts/tzx-gen"), "small", samples, "--count", "2"], check=True,
                   stdout=subprocess.DEVNULL)
    os.mkdir(reference)
    for sample, name in (("basic-loader", "a"), ("turbo", "b"), ("described", "c"), ("tape-0000", "big-a"),
                         ("tape-0001", "big-b"), ("described", "z")):
        shutil.copy(os.path.join(samples, sample + ".tzx"), os.path.join(reference, name + ".tzx"))
    subprocess.run([ws.build_file("ostrelm-convert")] + entries(reference), cwd=reference, stdout=subprocess.DEVNULL)
    os.mkdir(start)
    for name in ("a.tzx", "b.tzx", "c.tzx"):
        shutil.copy(os.path.join(reference, name), start)
    window = session.start(ws.build_file("ostrelm"), start)

    # The first row's file vanished after the listing: its line, and the rows after it still converted.
    os.remove(os.path.join(start, "a.tzx"))
    convert_all(window, f"{start}/a.tap: cannot open the TZX file\na.tzx\nb.tzx\nc.tzx")
    check("a vanished file: the others converted", ["b.tap", "b.tzx", "c.tap", "c.tzx"], entries(start))
    same_as_reference(start, "b.tap", "c.tap")

    # A listed file is a directory by now: its line, nothing written for it or in it.
    for name in ("b.tap", "c.tap", "b.tzx"):
        os.remove(os.path.join(start, name))
    shutil.copy(os.path.join(reference, "a.tzx"), start)
    os.mkdir(os.path.join(start, "b.tzx"))
    convert_all(window, f"a.tzx\n{start}/b.tap: cannot open the TZX file\nb.tzx\nc.tzx")
    check("a file turned directory: nothing for it", ["a.tap", "a.tzx", "b.tzx", "c.tap", "c.tzx"], entries(start))
    check("nothing inside the directory", [], entries(os.path.join(start, "b.tzx")))
    same_as_reference(start, "a.tap", "c.tap")

    # The shown directory moved away: every row gets its line and nothing is
    # written, neither there nor where it went (the working directory went too).
    for name in ("a.tap", "c.tap"):
        os.remove(os.path.join(start, name))
    moved = os.path.join(session.scratch, "Moved")
    os.rename(start, moved)
    snapshot = lambda: (os.path.exists(start), [(name, os.stat(os.path.join(moved, name)).st_mtime_ns)
                                                 for name in entries(moved)])
    before = snapshot()
    convert_all(window, "\n".join(f"{start}/{name}.tap: cannot open the TZX file\n{name}.tzx" for name in "abc"))
    check("the directory moved away: nothing written", before, snapshot())
    check("exit status after the close request", 0, window.close())

    # A full disk: the two large tapes' TAP files cannot fit, the small one's, sorted after them, can.
    disk = os.path.join(session.scratch, "disk")
    os.mkdir(disk)
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", disk], capture_output=True).returncode:
        print("SKIP: a small tmpfs cannot be mounted here; the full disk is left out")
    else:
        try:
            for name in ("big-a", "big-b", "z"):
                shutil.copy(os.path.join(reference, name + ".tzx"), os.path.join(disk, name[-1] + ".tzx"))
            # Filled to the last page, then two pages given back: room for the small TAP file only.
            subprocess.run(["dd", "if=/dev/zero", f"of={disk}/filler.bin", "bs=4k"], capture_output=True)
            os.truncate(os.path.join(disk, "filler.bin"), os.path.getsize(os.path.join(disk, "filler.bin")) - 8192)
            window = session.start(ws.build_file("ostrelm"), disk)
            convert_all(window, f"{disk}/a.tap: cannot write the TAP file\na.tzx\n"
                                f"{disk}/b.tap: cannot write the TAP file\nb.tzx\nz.tzx")
            check("full disk: no partial or hidden file left", ["a.tzx", "b.tzx", "filler.bin", "z.tap", "z.tzx"],
                  entries(disk))
            check("full disk: the tapes unchanged", [True] * 3, [filecmp.cmp(
                os.path.join(disk, tape), os.path.join(reference, source), shallow=False)
                for tape, source in (("a.tzx", "big-a.tzx"), ("b.tzx", "big-b.tzx"), ("z.tzx", "z.tzx"))])
            same_as_reference(disk, "z.tap")
            check("exit status after the close request", 0, window.close())
        finally:
            if window.alive():
                window.process.kill()
                window.process.wait()
            subprocess.run(["umount", disk])
