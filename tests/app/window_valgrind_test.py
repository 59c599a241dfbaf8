#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One pass through the window under valgrind's memcheck: start, select every
tape, convert through the button, close through the window manager. Any
invalid read or write or use of uninitialised memory fails the run."""
import os
import subprocess

import window_session as ws
from window_session import check, expect

with ws.Session("window_valgrind_test") as session:
    tapes, memcheck = os.path.join(session.scratch, "tapes"), os.path.join(session.artefacts, "memcheck.log")
    subprocess.run([os.path.join(ws.SOURCE, "scripts/make-samples"), tapes], check=True, stdout=subprocess.DEVNULL)
    valgrind = ["valgrind", "--tool=memcheck", "--error-exitcode=99", "--num-callers=30", f"--log-file={memcheck}"]
    # GLib's slice allocator would hide blocks from memcheck.
    window = session.start(os.path.join(os.environ.get("OSTRELM_RELEASE_DIR", ws.build_file("")), "ostrelm"), tapes,
                           {"G_SLICE": "always-malloc", "G_DEBUG": "gc-friendly"}, valgrind, timeout=600)
    window.files.select_all(600)
    window.press()
    expect("the batch's last line", "turbo.tzx", lambda: window.log().split("\n")[-1], 300)
    status = window.close(300)
    print(open(memcheck).read()[-3000:] if status else "memcheck: no errors")
    check("exit status (99: memcheck found errors)", 0, status)
