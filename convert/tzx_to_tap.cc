// SPDX-License-Identifier: GPL-3.0-or-later
// One TZX file to one TAP file. The order of the steps is what keeps files
// safe: the TAP file is looked at before anything is opened, the input is
// opened read-only, the header is checked before any output exists, and the
// TAP file gets its name only once it is complete (tap_output.h).
#include "convert/tzx_to_tap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "convert/conversion_buffer.h"
#include "convert/string_ops.h"
#include "convert/tap_output.h"
#include "convert/tzx_blocks.h"
#include "convert/tzx_conversion.h"
#include "runtime/file.h"
#include "runtime/file_names.h"

namespace {

// "ZXTape!" and the end-of-text marker 0x1A; two version bytes follow.
constexpr char TZX_SIGNATURE[] = "ZXTape!\x1A";
constexpr std::size_t TZX_SIGNATURE_SIZE = 8;
constexpr std::size_t TZX_HEADER_SIZE = 10;

bool read_tzx_header(TzxConversion& conversion) {
  unsigned char* header = conversion_buffer();
  std::size_t got = tzx_conversion_read(conversion, header, TZX_HEADER_SIZE);
  return got >= TZX_SIGNATURE_SIZE && std::memcmp(header, TZX_SIGNATURE, TZX_SIGNATURE_SIZE) == 0;
}

// The end is tested before each id (by asking for one), so a file that ends
// right after a block, or right after the header, is complete.
void convert_blocks(TzxConversion& conversion) {
  unsigned char id;
  unsigned char header[TZX_LARGEST_BLOCK_HEADER];
  while (!conversion.stop && tzx_conversion_read(conversion, &id, 1) == 1) {
    if (conversion.keep_alive && *conversion.keep_alive) (*conversion.keep_alive)();
    const TzxBlockType& type = tzx_block_type(id);
    std::size_t size = static_cast<std::size_t>(type.layout.header_size);
    if (tzx_conversion_read(conversion, header, size) < size) {
      tzx_conversion_cut_short(conversion);
      break;
    }
    type.act(conversion, id, tzx_block_body_length(type.layout, header));
  }
  tap_output_flush(conversion);
}

// Writes the records into the TAP file.
TapConversionOutcome write_tap_file(TzxConversion& conversion, const std::string& tap_path) {
  StagedFileOutcome opened = tap_output_open(conversion, tap_path);
  if (opened == STAGED_FILE_DONE) convert_blocks(conversion);
  StagedFileOutcome placed = tap_output_close(conversion);
  if (opened == STAGED_FILE_TAKEN || placed == STAGED_FILE_TAKEN) return TAP_CONVERSION_PASSED_OVER;
  return placed == STAGED_FILE_DONE ? TAP_CONVERSION_WRITTEN : TAP_CONVERSION_FAILED;
}

}  // namespace

TapConversionOutcome convert_tzx_file(const TapConversionPaths& paths, const MessageSink& sink,
                                      const ConversionKeepAlive& keep_alive) {
  if (file_size(paths.tap) >= 1) return TAP_CONVERSION_PASSED_OVER;  // never overwrite a TAP file with data
  TzxConversion conversion{paths.tap_shown, sink, 0, {}};
  conversion.keep_alive = &keep_alive;
  conversion.input = file_open_read(OBJECT_NUMBER_ANY, paths.tzx);
  if (conversion.input == 0) {
    tzx_conversion_report(conversion, "cannot open the TZX file");
    return TAP_CONVERSION_FAILED;
  }
  conversion.input_left = static_cast<std::uint64_t>(std::max<std::int64_t>(file_length(conversion.input), 0));
  TapConversionOutcome outcome = TAP_CONVERSION_FAILED;
  if (read_tzx_header(conversion)) {
    outcome = write_tap_file(conversion, paths.tap);
  } else if (!conversion.write_failed) {  // else it shrank before its header was read
    tzx_conversion_report(conversion, "not a TZX file");
  }
  file_close(conversion.input);
  return outcome;
}

bool convert_tzx_to_tap(const std::string& tzx_path, const MessageSink& sink, const ConversionKeepAlive& keep_alive) {
  const std::string tap_path = name_without_extension(tzx_path) + ".tap";
  return convert_tzx_file({tzx_path, tap_path, tap_path}, sink, keep_alive) == TAP_CONVERSION_WRITTEN;
}
