// SPDX-License-Identifier: GPL-3.0-or-later
// The numbered reads and writes: each looks the file up and hands the work to
// the buffer mechanics; the value reads assemble little-endian numbers and
// widen them with their sign.
#include <cstdint>

#include "runtime/file.h"
#include "runtime/file_table.h"

namespace {

// Reads n bytes (at most 4) into a zeroed array, so that bytes past the end
// of the file count as 0.
std::uint32_t read_little_endian(ObjectNumber number, int n) {
  unsigned char bytes[4] = {0, 0, 0, 0};
  FileRecord* file = file_find(number);
  if (file != nullptr) file_record_read(*file, bytes, static_cast<std::size_t>(n));
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

int file_eof(ObjectNumber number) {
  FileRecord* file = file_find(number);
  return file == nullptr ? 0 : file_record_at_end(*file);
}

std::size_t file_read_data(ObjectNumber number, void* destination, std::size_t n) {
  FileRecord* file = file_find(number);
  if (file == nullptr || destination == nullptr || n == 0) return 0;
  return file_record_read(*file, destination, n);
}

std::size_t file_write_data(ObjectNumber number, const void* source, std::size_t n) {
  FileRecord* file = file_find(number);
  if (file == nullptr || source == nullptr || n == 0) return 0;
  return file_record_write(*file, source, n);
}

std::uint64_t file_skip(ObjectNumber number, std::uint64_t n) {
  if (n == 0) return 0;
  FileRecord* file = file_find(number);
  return file == nullptr ? 0 : file_record_skip(*file, n);
}

int file_read_byte(ObjectNumber number) {
  return static_cast<std::int8_t>(read_little_endian(number, 1));
}

int file_read_word(ObjectNumber number) {
  return static_cast<std::int16_t>(read_little_endian(number, 2));
}

std::int32_t file_read_long(ObjectNumber number) {
  return static_cast<std::int32_t>(read_little_endian(number, 4));
}

int file_write_word(ObjectNumber number, int value) {
  unsigned char bytes[2] = {static_cast<unsigned char>(value & 0xFF),
                            static_cast<unsigned char>((value >> 8) & 0xFF)};
  return static_cast<int>(file_write_data(number, bytes, 2));
}

std::int64_t file_length(ObjectNumber number) {
  FileRecord* file = file_find(number);
  return file == nullptr ? -1 : file_record_size(*file);
}
