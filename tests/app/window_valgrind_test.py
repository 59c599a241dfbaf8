#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# One pass through the window under valgrind's memcheck: start, select every tape,
# convert through the button, close through the window manager. Any invalid read or
# write or use of uninitialised memory fails the run.
import os

from window_session import Session, check

with Session("window_valgrind_test") as session:
    tapes, memcheck = os.path.join(session.scratch, "tapes"), os.path.join(session.artefacts, "memcheck.log")
    session.tapes(tapes, {"a.tzx": "basic-loader.tzx", "b.tzx": "turbo.tzx"})
    valgrind = ["valgrind", "--error-exitcode=99", "--num-callers=30", "--log-file=" + memcheck]
    # GLib's slice allocator would hide blocks from memcheck.
    window = session.start(os.path.join(os.environ.get("OSTRELM_RELEASE_DIR", "build"), "ostrelm"), tapes,
                           {"G_SLICE": "always-malloc", "G_DEBUG": "gc-friendly"}, valgrind, timeout=600)
    window.files.select_all(600)
    window.press()
    check("the log after the batch", "a.tzx\nb.tzx", window.log, 300)
    check(f"exit status (99: memcheck found errors, see {memcheck})", 0, window.close(300))
