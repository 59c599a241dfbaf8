// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_TZX_CONVERSION_H_
#define OSTRELM_CONVERT_TZX_CONVERSION_H_

// The state of one conversion, shared by the driver and the block actions.

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/tzx_to_tap.h"
#include "registry/object_number.h"
#include "runtime/staged_file.h"

struct TzxConversion {
  std::string tap_path;
  const MessageSink& sink;
  ObjectNumber input = 0;  // a file number of the file layer
  StagedFile output;       // the TAP file until it is complete (tap_output.h)
  bool stop = false;          // no further block is read
  bool write_failed = false;  // the TAP file is incomplete and goes
  // Bytes of the input not yet read, by its size when it was opened: a TAP
  // record's length goes out before its data, so the data that is there must
  // be known before it is read.
  std::uint64_t input_left = 0;
  // Bytes gathered in the conversion buffer and not yet written (tap_output.h).
  std::size_t staged = 0;
  const ConversionKeepAlive* keep_alive = nullptr;
};

// Reads from the input, or passes bytes over, and counts them off input_left.
std::size_t tzx_conversion_read(TzxConversion& conversion, void* destination, std::size_t n);
std::uint64_t tzx_conversion_skip(TzxConversion& conversion, std::uint64_t n);

// Appends the line "<tap path>: <text>" to the conversion's sink.
void tzx_conversion_report(TzxConversion& conversion, const std::string& text);

// Ends the block loop with the message that the file ends inside a block.
void tzx_conversion_cut_short(TzxConversion& conversion);

// Reports that a write to the TAP file failed (its close and its naming
// included) and marks the file to go; during the block loop this also ends
// the loop.
void tzx_conversion_write_failed(TzxConversion& conversion);

#endif  // OSTRELM_CONVERT_TZX_CONVERSION_H_
