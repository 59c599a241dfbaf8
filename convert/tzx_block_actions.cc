// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/tzx_block_actions.h"

#include <algorithm>

#include "convert/string_ops.h"
#include "convert/tap_output.h"

void tzx_block_write_record(TzxConversion& conversion, int /*id*/, std::uint64_t data_length) {
  if (data_length > TAP_LARGEST_RECORD) {
    tzx_conversion_report(conversion, "size over 65535 bytes cannot be saved in TAP");
  }
  std::size_t wanted = static_cast<std::size_t>(std::min(data_length, TAP_LARGEST_RECORD));
  // A block cut short by the end of the file keeps the bytes that are there;
  // nothing is made up for the rest.
  auto present = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, conversion.input_left));
  // Fewer bytes than the file's size promised (it shrank, or a read failed)
  // were reported as they came short, and the TAP file goes: a record shorter
  // than its length says would mislead a loader.
  std::size_t arrived = tap_output_record(conversion, present);
  if (conversion.write_failed) return;
  if (arrived < wanted) {
    tzx_conversion_cut_short(conversion);
    return;
  }
  // What TAP cannot hold is passed over, so that the next block id is read
  // from the next block and not from inside this one.
  std::uint64_t rest = data_length - wanted;
  if (rest > 0 && tzx_conversion_skip(conversion, rest) < rest) tzx_conversion_cut_short(conversion);
}

void tzx_block_read_over(TzxConversion& conversion, int /*id*/, std::uint64_t body_length) {
  if (tzx_conversion_skip(conversion, body_length) < body_length) tzx_conversion_cut_short(conversion);
}

void tzx_block_refuse(TzxConversion& conversion, int id, std::uint64_t /*body_length*/) {
  tzx_conversion_report(conversion, "Unsupported block found ($" + string_hex(static_cast<unsigned>(id)) + ")");
  conversion.stop = true;
}
