// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/tap_output.h"

#include <algorithm>

#include "convert/conversion_buffer.h"
#include "runtime/file.h"

namespace {

constexpr std::size_t TAP_LENGTH_SIZE = 2;

void write_out_when_full(TzxConversion& conversion) {
  if (conversion.staged == CONVERSION_BUFFER_SIZE) tap_output_flush(conversion);
}

}  // namespace

std::size_t tap_output_record(TzxConversion& conversion, std::size_t size) {
  unsigned char* gather = conversion_buffer();
  const unsigned char length[TAP_LENGTH_SIZE] = {static_cast<unsigned char>(size & 0xFF),
                                                 static_cast<unsigned char>((size >> 8) & 0xFF)};
  for (unsigned char byte : length) {
    gather[conversion.staged++] = byte;
    write_out_when_full(conversion);
  }
  std::size_t arrived = 0;
  while (arrived < size && !conversion.write_failed) {
    std::size_t piece = std::min(size - arrived, CONVERSION_BUFFER_SIZE - conversion.staged);
    std::size_t got = tzx_conversion_read(conversion, gather + conversion.staged, piece);
    conversion.staged += got;
    arrived += got;
    write_out_when_full(conversion);
    if (got < piece) break;
  }
  return arrived;
}

void tap_output_flush(TzxConversion& conversion) {
  std::size_t size = conversion.staged;
  conversion.staged = 0;
  if (conversion.write_failed || size == 0) return;
  if (file_write_data(conversion.output.number, conversion_buffer(), size) != size) {
    tzx_conversion_write_failed(conversion);
  }
}

StagedFileOutcome tap_output_open(TzxConversion& conversion, const std::string& tap_path) {
  StagedFileOutcome opened = staged_file_open(conversion.output, tap_path);
  if (opened == STAGED_FILE_FAILED) tzx_conversion_report(conversion, "cannot create the TAP file");
  return opened;
}

StagedFileOutcome tap_output_close(TzxConversion& conversion) {
  if (conversion.output.number == 0) {  // never opened: nothing to name
    staged_file_close(conversion.output);
    return STAGED_FILE_FAILED;
  }
  // The close's verdict comes before the name: a file system that reports a
  // lost write only at the close (NFS) must not leave a TAP file that looks whole.
  bool closed = file_close(conversion.output.number) == 1;
  conversion.output.number = 0;
  if (!closed && !conversion.write_failed) tzx_conversion_write_failed(conversion);
  StagedFileOutcome placed = conversion.write_failed ? STAGED_FILE_FAILED : staged_file_place(conversion.output);
  if (placed == STAGED_FILE_REFUSED) {
    tzx_conversion_report(conversion, "cannot replace the empty TAP file: it belongs to another user, and this "
                                      "shared folder lets only its owner replace it");
  }
  if (placed == STAGED_FILE_FAILED && !conversion.write_failed) tzx_conversion_write_failed(conversion);
  staged_file_close(conversion.output);
  return placed;
}
