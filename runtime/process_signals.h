// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_RUNTIME_PROCESS_SIGNALS_H_
#define OSTRELM_RUNTIME_PROCESS_SIGNALS_H_

// SIGXFSZ (a write past the file-size limit) and SIGPIPE (a write into a
// closed pipe) would end the process in the middle of a TAP file. Ignored,
// the write fails instead, the incomplete TAP file goes and the failure is
// reported like any other: a log line, not a dead program.
void process_ignore_write_signals();

// The signals that ask a process to end (INT, TERM, HUP, QUIT) are held back
// from here on, those the process was started to ignore excepted (nohup's
// HUP, the INT and QUIT of a background job): held, such a signal would wait
// rather than vanish. A held signal that arrives waits until the caller asks
// for it between two pieces of work, so no piece is left half done and no
// output of a finished piece is lost.
void process_hold_termination_signals();

// Whether a held signal has arrived.
bool process_termination_requested();

// Lets the held signals through again: one that arrived meanwhile ends the
// process now, by its usual action, so that the caller's shell learns how the
// process ended.
void process_release_termination_signals();

#endif  // OSTRELM_RUNTIME_PROCESS_SIGNALS_H_
