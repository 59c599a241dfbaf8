// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_TAP_OUTPUT_H_
#define OSTRELM_CONVERT_TAP_OUTPUT_H_

// TAP records are gathered in the conversion buffer, the data read straight
// into its place there, and the buffer is written each time it is full: 64 KB
// at file offsets that are multiples of 64 KB. Tapes are mostly blocks of a
// few bytes to a few kilobytes, and a write per record costs more in system
// calls than the copying itself. Writes of that size and alignment also let
// the system cache the TAP file in large pages, which takes about a third off
// its cost of taking the data in. A record may be split over two writes.
//
// The records go into a staged file (runtime/staged_file.h) in the TAP file's
// directory, and only a complete TAP file gets its name: a converter that dies
// at any moment leaves no part of one, which would pass for a converted tape
// and, holding data, would never be written again.

#include <cstddef>
#include <string>

#include "convert/tzx_conversion.h"

// Looks at tap_path (opened as given; the messages name conversion.tap_path)
// and opens the staged file there. The conversion goes on when DONE: a TAP
// file that holds data by now is passed over silently (TAKEN), a path that
// cannot take one is reported ("cannot create the TAP file"; FAILED).
// tap_output_close follows whatever the result.
StagedFileOutcome tap_output_open(TzxConversion& conversion, const std::string& tap_path);

// Closes the staged file and, when it is complete, gives it the TAP file's
// name (DONE); a file that failed (FAILED, also when none was opened), or
// whose place another file took meanwhile (TAKEN, passed over like any TAP
// file with data), goes.
StagedFileOutcome tap_output_close(TzxConversion& conversion);

// Appends the record of a data block of `size` bytes, read from the input.
// Returns the bytes that arrived; the record's length says `size`, so the
// caller passes no more than the input holds (see input_left).
std::size_t tap_output_record(TzxConversion& conversion, std::size_t size);

// Writes out the gathered records. A failed write is reported once and ends
// the conversion.
void tap_output_flush(TzxConversion& conversion);

#endif  // OSTRELM_CONVERT_TAP_OUTPUT_H_
