// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_RUNTIME_PROCESS_SIGNALS_H_
#define OSTRELM_RUNTIME_PROCESS_SIGNALS_H_

// SIGXFSZ (a write past the file-size limit) and SIGPIPE (a write into a
// closed pipe) would end the process in the middle of a TAP file. Ignored,
// the write fails instead, the incomplete TAP file goes and the failure is
// reported like any other: a log line, not a dead program.
void process_ignore_write_signals();

#endif  // OSTRELM_RUNTIME_PROCESS_SIGNALS_H_
