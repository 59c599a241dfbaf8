#include "convert/tap_output.h"

#include "convert/conversion_buffer.h"
#include "runtime/file.h"

namespace {

constexpr std::size_t TAP_LENGTH_SIZE = 2;

void put_length(unsigned char* place, std::size_t length) {
  place[0] = static_cast<unsigned char>(length & 0xFF);
  place[1] = static_cast<unsigned char>((length >> 8) & 0xFF);
}

void write_or_fail(TzxConversion& conversion, const unsigned char* bytes, std::size_t size) {
  if (conversion.write_failed || size == 0) return;
  if (file_write_data(conversion.output, bytes, size) != size) tzx_conversion_write_failed(conversion);
}

}  // namespace

unsigned char* tap_output_reserve(TzxConversion& conversion, std::size_t size) {
  if (conversion.staged + TAP_LENGTH_SIZE + size > CONVERSION_BUFFER_SIZE) tap_output_flush(conversion);
  // A record of 65535 bytes and its length do not fit the buffer together:
  // its data alone goes there, and it is written on its own.
  conversion.record_too_large_to_stage = TAP_LENGTH_SIZE + size > CONVERSION_BUFFER_SIZE;
  if (conversion.record_too_large_to_stage) return conversion_buffer();
  return conversion_buffer() + conversion.staged + TAP_LENGTH_SIZE;
}

void tap_output_commit(TzxConversion& conversion, std::size_t size) {
  unsigned char* buffer = conversion_buffer();
  if (conversion.record_too_large_to_stage) {
    unsigned char length[TAP_LENGTH_SIZE];
    put_length(length, size);
    write_or_fail(conversion, length, TAP_LENGTH_SIZE);
    write_or_fail(conversion, buffer, size);
    return;
  }
  put_length(buffer + conversion.staged, size);
  conversion.staged += TAP_LENGTH_SIZE + size;
}

void tap_output_flush(TzxConversion& conversion) {
  write_or_fail(conversion, conversion_buffer(), conversion.staged);
  conversion.staged = 0;
}
