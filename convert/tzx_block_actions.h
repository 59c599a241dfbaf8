// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_TZX_BLOCK_ACTIONS_H_
#define OSTRELM_CONVERT_TZX_BLOCK_ACTIONS_H_

// What the conversion does with a block once its fixed fields are read.

#include <cstdint>

#include "convert/tzx_conversion.h"

// The largest record TAP can hold: its length is a 16-bit field.
constexpr std::uint64_t TAP_LARGEST_RECORD = 65535;

// A data block: its data becomes a TAP record, cut to 65535 bytes.
void tzx_block_write_record(TzxConversion& conversion, int id, std::uint64_t data_length);
// A block that only describes or controls the tape: its body is passed over.
void tzx_block_read_over(TzxConversion& conversion, int id, std::uint64_t body_length);
// A block whose sound TAP cannot express: the conversion ends here.
void tzx_block_refuse(TzxConversion& conversion, int id, std::uint64_t body_length);

#endif  // OSTRELM_CONVERT_TZX_BLOCK_ACTIONS_H_
