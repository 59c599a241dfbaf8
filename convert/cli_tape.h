// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_CLI_TAPE_H_
#define OSTRELM_CONVERT_CLI_TAPE_H_

// One name of ostrelm-convert's command line, converted as the window
// converts a selected row.

#include <optional>
#include <string>

// Converts the named file into a TAP file beside it, or in output_directory
// under the tape's file name, and prints on standard output the lines the
// window's log would show: the messages, then the name as given. What the
// log cannot say goes to standard error: a name that is no tape, a tape
// passed over because its TAP file holds data. Returns whether anything was
// said about the file. The name is opened as given, so the working
// directory's depth does not matter.
bool cli_tape_convert(const std::string& name, const std::optional<std::string>& output_directory);

#endif  // OSTRELM_CONVERT_CLI_TAPE_H_
