// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_TZX_BLOCKS_H_
#define OSTRELM_CONVERT_TZX_BLOCKS_H_

// The TZX block types: for every block id, where its body ends and what the
// conversion does with it. One table, indexed by id.

#include <cstdint>

#include "convert/tzx_conversion.h"

// The largest fixed part of a block body (the custom info block).
constexpr int TZX_LARGEST_BLOCK_HEADER = 20;

// A block body after its id: header_size bytes of fixed fields, then a
// variable part of length_unit bytes per entry, whose entry count is the
// little-endian field of length_width bytes at length_offset in the fixed
// fields (no variable part when length_width is 0).
struct TzxBlockLayout {
  int header_size;
  int length_offset;
  int length_width;
  int length_unit;
};

struct TzxBlockType {
  TzxBlockLayout layout;
  // Called with the fixed fields read and the variable part's length in
  // bytes; reads that part (or not) and may end the conversion.
  void (*act)(TzxConversion& conversion, int id, std::uint64_t body_length);
};

const TzxBlockType& tzx_block_type(int id);

// The length in bytes of the variable part, from the fixed fields.
std::uint64_t tzx_block_body_length(const TzxBlockLayout& layout, const unsigned char* header);

#endif  // OSTRELM_CONVERT_TZX_BLOCKS_H_
