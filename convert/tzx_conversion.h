#ifndef OSTRELM_CONVERT_TZX_CONVERSION_H_
#define OSTRELM_CONVERT_TZX_CONVERSION_H_

// The state of one conversion, shared by the driver and the block actions.

#include <cstddef>
#include <string>

#include "convert/tzx_to_tap.h"
#include "toolkit/object_number.h"

struct TzxConversion {
  std::string tap_path;
  const MessageSink& sink;
  ObjectNumber input = 0;   // file numbers of the file layer
  ObjectNumber output = 0;
  bool stop = false;          // no further block is read
  bool write_failed = false;  // the TAP file is incomplete and goes
  // Records gathered in the conversion buffer and not yet written (tap_output.h).
  std::size_t staged = 0;
  bool record_too_large_to_stage = false;
};

// Appends the line "<tap path>: <text>" to the conversion's sink.
void tzx_conversion_report(TzxConversion& conversion, const std::string& text);

// Ends the block loop with the message that the file ends inside a block.
void tzx_conversion_cut_short(TzxConversion& conversion);

// Ends the block loop after a write to the TAP file failed, with its message.
void tzx_conversion_write_failed(TzxConversion& conversion);

#endif  // OSTRELM_CONVERT_TZX_CONVERSION_H_
