#include "convert/tap_output.h"

#include <cstring>

#include "convert/conversion_buffer.h"
#include "runtime/file.h"

namespace {

constexpr std::size_t TAP_LENGTH_SIZE = 2;
// Writes of whole pages that start on a page boundary spare the system the
// work of partly filled pages.
constexpr std::size_t WRITE_ALIGNMENT = 4096;

void put_length(unsigned char* place, std::size_t length) {
  place[0] = static_cast<unsigned char>(length & 0xFF);
  place[1] = static_cast<unsigned char>((length >> 8) & 0xFF);
}

void write_or_fail(TzxConversion& conversion, const unsigned char* bytes, std::size_t size) {
  if (conversion.write_failed || size == 0) return;
  if (file_write_data(conversion.output, bytes, size) != size) tzx_conversion_write_failed(conversion);
}

bool has_room(const TzxConversion& conversion, std::size_t size) {
  return conversion.staged + TAP_LENGTH_SIZE + size <= CONVERSION_BUFFER_SIZE;
}

// Writes the whole pages gathered and keeps the rest at the buffer's start.
void write_whole_pages(TzxConversion& conversion) {
  unsigned char* buffer = conversion_buffer();
  std::size_t whole = conversion.staged - conversion.staged % WRITE_ALIGNMENT;
  write_or_fail(conversion, buffer, whole);
  std::memmove(buffer, buffer + whole, conversion.staged - whole);
  conversion.staged -= whole;
}

}  // namespace

unsigned char* tap_output_reserve(TzxConversion& conversion, std::size_t size) {
  if (!has_room(conversion, size)) write_whole_pages(conversion);
  if (!has_room(conversion, size)) tap_output_flush(conversion);
  // A record of 65535 bytes and its length do not fit the buffer together:
  // its data alone goes there, and it is written on its own.
  conversion.record_too_large_to_stage = !has_room(conversion, size);
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
