// SPDX-License-Identifier: GPL-3.0-or-later
// Block layouts by the published TZX format (revision 1.20). A block that a
// reader does not know begins with a 32-bit length of the rest, which is how
// every id missing from the table is passed over.
#include "convert/tzx_blocks.h"

#include <array>

#include "convert/tzx_block_actions.h"

namespace {

constexpr TzxBlockLayout fixed(int header_size) { return {header_size, 0, 0, 1}; }
constexpr TzxBlockLayout counted(int header_size, int offset, int width, int unit = 1) {
  return {header_size, offset, width, unit};
}

using BlockTable = std::array<TzxBlockType, 256>;

BlockTable build_block_table() {
  BlockTable table;
  table.fill({counted(4, 0, 4), tzx_block_read_over});
  // Data blocks: their data length is the last fixed field.
  table[0x10] = {counted(4, 2, 2), tzx_block_write_record};    // standard speed
  table[0x11] = {counted(18, 15, 3), tzx_block_write_record};  // turbo speed
  table[0x14] = {counted(10, 7, 3), tzx_block_write_record};   // pure data
  // Sound that TAP cannot express: pure tone, pulse sequence, direct and CSW
  // recordings, generalized data and the rest of the range.
  for (int id : {0x12, 0x13, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F}) {
    table[id] = {fixed(0), tzx_block_refuse};
  }
  table[0x20] = {fixed(2), tzx_block_read_over};             // pause or stop the tape
  table[0x21] = {counted(1, 0, 1), tzx_block_read_over};     // group start
  table[0x22] = {fixed(0), tzx_block_read_over};             // group end
  table[0x23] = {fixed(2), tzx_block_read_over};             // jump
  table[0x24] = {fixed(2), tzx_block_read_over};             // loop start
  table[0x25] = {fixed(0), tzx_block_read_over};             // loop end
  table[0x26] = {counted(2, 0, 2, 2), tzx_block_read_over};  // call sequence
  table[0x27] = {fixed(0), tzx_block_read_over};             // return
  table[0x28] = {counted(2, 0, 2), tzx_block_read_over};     // select block
  table[0x2A] = {counted(4, 0, 4), tzx_block_read_over};     // stop the tape in 48K mode
  table[0x2B] = {counted(4, 0, 4), tzx_block_read_over};     // signal level
  table[0x30] = {counted(1, 0, 1), tzx_block_read_over};     // text description
  table[0x31] = {counted(2, 1, 1), tzx_block_read_over};     // message
  table[0x32] = {counted(2, 0, 2), tzx_block_read_over};     // archive info
  table[0x33] = {counted(1, 0, 1, 3), tzx_block_read_over};  // hardware type
  table[0x34] = {fixed(8), tzx_block_read_over};             // emulation info
  table[0x35] = {counted(20, 16, 4), tzx_block_read_over};   // custom info
  table[0x40] = {counted(4, 1, 3), tzx_block_read_over};     // snapshot
  table[0x5A] = {fixed(9), tzx_block_read_over};             // glue of merged files
  return table;
}

}  // namespace

const TzxBlockType& tzx_block_type(int id) {
  static const BlockTable table = build_block_table();
  return table[static_cast<std::size_t>(id & 0xFF)];
}

std::uint64_t tzx_block_body_length(const TzxBlockLayout& layout, const unsigned char* header) {
  std::uint64_t count = 0;
  for (int i = layout.length_width - 1; i >= 0; --i) {
    count = count << 8 | header[layout.length_offset + i];
  }
  return count * static_cast<std::uint64_t>(layout.length_unit);
}
