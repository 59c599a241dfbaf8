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
  if (file_write_data(conversion.output, conversion_buffer(), size) != size) {
    tzx_conversion_write_failed(conversion);
  }
}
