#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The window program when the disk changes under it: files that vanish or turn into
# directories after the list was read, a shown directory that moved away, and a disk
# that fills up. After every batch the program must still run, and the close request
# must still end it with status 0.
import filecmp, os, shutil, subprocess  # noqa: E401

from window_session import Session, build_file, check

TAPES = {"a.tzx": "basic-loader.tzx", "b.tzx": "turbo.tzx", "c.tzx": "described.tzx", "z.tzx": "described.tzx",
         "big-a.tzx": "tape-0000.tzx", "big-b.tzx": "tape-0001.tzx"}


def failed(folder, name, what="open the TZX"):  # the log's lines for a tape that could not be converted
    return f"{folder}/{name}.tap: cannot {what} file\n{name}.tzx"


def batch(window, folder, log, entries):  # every row converted: the log, the folder's entries, its TAP files right
    window.files.select_all()
    window.press()
    check("the log", log, window.log)
    check("still running", None, window.process.poll())
    check("the folder's entries", entries, sorted(os.listdir(folder)))
    for name in filter(lambda name: name.endswith(".tap"), entries):
        check(f"{name} as ostrelm-convert writes it", True,
              filecmp.cmp(os.path.join(folder, name), os.path.join(reference, name), shallow=False))
        os.remove(os.path.join(folder, name))


with Session("window_faults_test") as session:
    reference, start = os.path.join(session.scratch, "reference"), os.path.join(session.scratch, "Tapes")
    session.tapes(reference, TAPES)
    subprocess.run([build_file("ostrelm-convert"), *TAPES], cwd=reference, stdout=subprocess.DEVNULL)
    session.tapes(start, {name: TAPES[name] for name in ("a.tzx", "b.tzx", "c.tzx")})
    window = session.start(build_file("ostrelm"), start)

    # The first row's file vanished after the listing: its line, and the rows after it still converted.
    os.remove(os.path.join(start, "a.tzx"))
    batch(window, start, failed(start, "a") + "\nb.tzx\nc.tzx", ["b.tap", "b.tzx", "c.tap", "c.tzx"])
    # A listed file is a directory by now: its line, nothing written for it or in it.
    shutil.copy(os.path.join(reference, "a.tzx"), start)
    os.remove(os.path.join(start, "b.tzx"))
    os.mkdir(os.path.join(start, "b.tzx"))
    batch(window, start, f"a.tzx\n{failed(start, 'b')}\nc.tzx", ["a.tap", "a.tzx", "b.tzx", "c.tap", "c.tzx"])
    check("nothing inside the directory", [], os.listdir(os.path.join(start, "b.tzx")))
    # The shown directory moved away: every row gets its line and nothing is written,
    # neither there nor where it went (the working directory went along).
    moved = os.path.join(session.scratch, "Moved")
    os.rename(start, moved)
    state = lambda: [(name, os.stat(os.path.join(moved, name)).st_mtime_ns) for name in sorted(os.listdir(moved))]  # noqa: E731
    before = state()
    batch(window, moved, "\n".join(failed(start, name) for name in "abc"), [name for name, _ in before])
    check("nothing changed where it went; the start folder not made again", (before, False), (state(), os.path.exists(start)))
    check("exit status after the close request", 0, window.close())

    # A full disk: the two large tapes' TAP files cannot fit, the small one's, sorted after them, can.
    disk = os.path.join(session.scratch, "disk")
    os.mkdir(disk)
    big = (("a.tzx", "big-a.tzx"), ("b.tzx", "big-b.tzx"), ("z.tzx", "z.tzx"))
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", disk]).returncode:
        print("SKIP: a small tmpfs cannot be mounted here; the full disk is left out")
    else:
        session.tapes(disk, {name: TAPES[source] for name, source in big})
        # Filled to the last page, then two pages given back: room for the small TAP file only.
        filler = os.path.join(disk, "filler.bin")
        subprocess.run(["dd", "if=/dev/zero", "of=" + filler, "bs=4k"], capture_output=True)
        os.truncate(filler, os.path.getsize(filler) - 8192)
        try:  # unmounted even when a check fails (lazily: the program may still hold it)
            window = session.start(build_file("ostrelm"), disk)
            batch(window, disk, "\n".join([failed(disk, "a", "write the TAP"), failed(disk, "b", "write the TAP"), "z.tzx"]),
                  ["a.tzx", "b.tzx", "filler.bin", "z.tap", "z.tzx"])
            check("full disk: the tapes unchanged", [True] * 3, [filecmp.cmp(
                os.path.join(disk, name), os.path.join(reference, source), shallow=False) for name, source in big])
            check("exit status after the close request", 0, window.close())
        finally:
            subprocess.run(["umount", "-l", disk])
