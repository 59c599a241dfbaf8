// One TZX file to one TAP file. The order of the steps is what keeps files
// safe: the TAP file is looked at before anything is opened, the input is
// opened read-only, the header is checked before any output exists, and the
// output is opened without truncation and checked again once open.
#include "convert/tzx_to_tap.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
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
  conversion.output = file_open_output(OBJECT_NUMBER_ANY, conversion.tap_path);
  if (conversion.output == 0) {
    tzx_conversion_report(conversion, "cannot create the TAP file");
    return false;
  }
  if (file_length(conversion.output) != 0) {
    // Data arrived since the first look: the file is someone else's now.
    file_close(conversion.output);
    return false;
  }
  convert_blocks(conversion);
  if (!conversion.write_failed && file_flush(conversion.output) == 0) tzx_conversion_write_failed(conversion);
  if (conversion.write_failed) {
    // Emptied through the open file first: the path may be a link to a file
    // elsewhere, or lie in a directory where it cannot be removed.
    file_discard(conversion.output);
  } else if (file_close(conversion.output) == 1) {
    return true;
  } else {
    tzx_conversion_write_failed(conversion);
  }
  // An incomplete TAP file would look like a whole tape: it goes.
  std::remove(conversion.tap_path.c_str());
  return false;
}

}  // namespace

bool convert_tzx_to_tap(const std::string& tzx_path, const MessageSink& sink) {
  TzxConversion conversion{name_without_extension(tzx_path) + ".tap", sink};
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
  } else {
    tzx_conversion_report(conversion, "not a TZX file");
  }
  file_close(conversion.input);
  return written;
}
