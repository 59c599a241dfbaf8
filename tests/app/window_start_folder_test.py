#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The window started in a folder whose name is not plain ASCII: at start the
# tree selects that folder and the list shows its tape, for a UTF-8, a Latin-1
# and a Latin-9 name. Beside them stand the folders that such a name, read as
# ISO-8859-15 and converted to UTF-8, would lead to, each with a tape of its
# own. A name that is not UTF-8 shows in its display form (U+FFFD for a bad byte).
import os, window_session as ws  # noqa: E401

FOLDERS = [("Spiele-Ärger".encode(), "utf8.tzx"), (b"Spiele-\xc4rger", "latin1.tzx"), (b"Preis-\xa4", "latin9.tzx"),
           ("Preis-€".encode(), "euro.tzx")]  # the last only stands beside the Latin-9 one

with ws.Session("window_start_folder") as session:
    scratch = os.fsencode(session.scratch)
    for name, tape in FOLDERS:
        os.mkdir(os.path.join(scratch, name))
        with open(os.path.join(scratch, name, tape.encode()), "wb") as file:
            file.write(b"ZXTape!\x1a\x01\x14")
    for name, tape in FOLDERS[:3]:
        window = session.start(ws.build_file("ostrelm"), os.path.join(scratch, name))
        shown = name.decode(errors="replace")
        ws.check(f"{shown}: the tree's selected row and the list's rows", ([shown], [tape]),
                 lambda: (window.tree.selected(), window.files.rows()))
        ws.check(f"{shown}: exit status", 0, window.close())
