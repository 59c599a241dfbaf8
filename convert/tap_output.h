#ifndef OSTRELM_CONVERT_TAP_OUTPUT_H_
#define OSTRELM_CONVERT_TAP_OUTPUT_H_

// TAP records are gathered in the conversion buffer and written to the TAP
// file in whole pages, up to 64 KB at a time. Tapes are mostly blocks of a few
// bytes to a few kilobytes, and a write per record, or per 4096-byte file
// buffer, costs more in system calls than the copying itself.

#include <cstddef>

#include "convert/tzx_conversion.h"

// The place for the data of the next record, at most `size` bytes; makes room
// by writing out what is gathered first.
unsigned char* tap_output_reserve(TzxConversion& conversion, std::size_t size);

// Completes the reserved record with the first `size` bytes that arrived.
void tap_output_commit(TzxConversion& conversion, std::size_t size);

// Writes out the gathered records. A failed write is reported once and ends
// the conversion.
void tap_output_flush(TzxConversion& conversion);

#endif  // OSTRELM_CONVERT_TAP_OUTPUT_H_
