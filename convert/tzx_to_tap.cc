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

// Writes the records into the TAP file; returns whether a complete TAP file
// was left on disk.
bool write_tap_file(TzxConversion& conversion) {
  if (tap_output_open(conversion)) convert_blocks(conversion);
  return tap_output_close(conversion);
}

}  // namespace

bool convert_tzx_to_tap(const std::string& tzx_path, const MessageSink& sink) {
  TzxConversion conversion{name_without_extension(tzx_path) + ".tap", sink, 0, {}};
  if (file_size(conversion.tap_path) >= 1) return false;  // never overwrite a TAP file with data
  conversion.input = file_open_read(OBJECT_NUMBER_ANY, tzx_path);
  if (conversion.input == 0) {
    tzx_conversion_report(conversion, "cannot open the TZX file");
    return false;
  }
  conversion.input_left = static_cast<std::uint64_t>(std::max<std::int64_t>(file_length(conversion.input), 0));
  bool written = false;
  if (read_tzx_header(conversion)) {
    written = write_tap_file(conversion);
  } else if (!conversion.write_failed) {  // else it shrank before its header was read
    tzx_conversion_report(conversion, "not a TZX file");
  }
  file_close(conversion.input);
  return written;
}
