// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_CLI_OUTPUT_H_
#define OSTRELM_CONVERT_CLI_OUTPUT_H_

// Standard output of ostrelm-convert. Each file's lines are written out once
// the file is done, so that a run ended early (a signal, a closed pipe) has
// printed the lines of every TAP file it left. A terminal keeps its
// line-by-line output.
//
// Into a pipe or a socket every write wakes the reader, which on a virtual
// machine costs about as much as converting a small tape. There the lines of
// files done within a few milliseconds of the last write go out together
// with the next write, and a reader that has gone is noticed between files
// without writing, so the run still stops after the file at hand.

// Must come before the first output.
void cli_output_begin();

// Called after each file: writes out what is due. False once standard output
// can take no more.
bool cli_output_file_done();

// Called during a file, before each of its blocks: lines held back from
// earlier files go out once due, so that a long tape does not keep them.
void cli_output_pace();

// Writes out everything held: at the end, before a line on standard error,
// and before a held signal ends the process. False when standard output has
// failed.
bool cli_output_flush();

#endif  // OSTRELM_CONVERT_CLI_OUTPUT_H_
