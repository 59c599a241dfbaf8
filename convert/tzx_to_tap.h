// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_TZX_TO_TAP_H_
#define OSTRELM_CONVERT_TZX_TO_TAP_H_

#include <functional>
#include <string>

// Receives each message line of a conversion at the moment it arises: the log
// editor in the window, standard output on the command line.
using MessageSink = std::function<void(const std::string& line)>;

// Converts the TZX file at tzx_path into a TAP file beside it (the path with
// its last extension replaced by ".tap"). A TAP file that already holds data
// is never touched, and the input is only ever read. Every message line is the
// TAP path, ": " and the text. Returns true when a TAP file was written (it
// may still hold fewer records than the tape when a message says why).
bool convert_tzx_to_tap(const std::string& tzx_path, const MessageSink& sink);

#endif  // OSTRELM_CONVERT_TZX_TO_TAP_H_
