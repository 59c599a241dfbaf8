#ifndef OSTRELM_CONVERT_TZX_CONVERSION_H_
#define OSTRELM_CONVERT_TZX_CONVERSION_H_

// The state of one conversion, shared by the driver and the block actions.

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
};

// Appends the line "<tap path>: <text>" to the conversion's sink.
void tzx_conversion_report(TzxConversion& conversion, const std::string& text);

// Ends the block loop with the message that the file ends inside a block.
void tzx_conversion_cut_short(TzxConversion& conversion);

// Checks the TAP file after a write; on a failure reports it once and ends
// the block loop. Returns false after a failure.
bool tzx_conversion_check_output(TzxConversion& conversion);

#endif  // OSTRELM_CONVERT_TZX_CONVERSION_H_
