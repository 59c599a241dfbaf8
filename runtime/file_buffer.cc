// SPDX-License-Identifier: GPL-3.0-or-later
// How one 4096-byte buffer serves both directions of a file: it holds bytes
// read ahead in read mode and bytes not yet written in write mode, and a
// change of direction first settles the stream position with the buffer.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "runtime/file_record.h"

namespace {

// From write mode to read mode; the C library asks for a flush or a seek
// between output and input on the same stream (unbuffered files too, which
// keep the mode for this alone).
void enter_read_mode(FileRecord& file) {
  if (file.mode == FILE_MODE_READ) return;
  file_record_write_out(file);
  std::fflush(file.stream);  // a failure stays in the stream's error indicator
  file.mode = FILE_MODE_READ;
  file.count = 0;
  file.fill = 0;
}

// From read mode to write mode: the bytes read ahead are given back so that
// the write lands where the program is, not behind the read-ahead.
void enter_write_mode(FileRecord& file) {
  if (file.mode == FILE_MODE_WRITE) return;
  fseeko(file.stream, -static_cast<off_t>(file.count), SEEK_CUR);
  file.mode = FILE_MODE_WRITE;
  file.count = file.buffer_size;
}

// Delivers n bytes of the read-ahead into the destination, or passes them
// over when there is none.
std::uint64_t take_from_buffer(FileRecord& file, unsigned char* destination, std::uint64_t n) {
  if (destination != nullptr) std::memcpy(destination, file.buffer + (file.fill - file.count), n);
  file.count -= static_cast<std::int32_t>(n);
  return n;
}

void refill(FileRecord& file) {
  file.fill = static_cast<std::int32_t>(
      std::fread(file.buffer, 1, static_cast<std::size_t>(file.buffer_size), file.stream));
  file.count = file.fill;
}

// Bytes between the stream position and the end of the file.
std::uint64_t bytes_after_position(FileRecord& file) {
  off_t position = ftello(file.stream);
  std::int64_t size = file_record_size(file);
  return position >= 0 && size > position ? static_cast<std::uint64_t>(size - position) : 0;
}

std::uint64_t seek_on(FileRecord& file, std::uint64_t n) {
  std::uint64_t step = std::min(n, bytes_after_position(file));
  if (step > 0 && fseeko(file.stream, static_cast<off_t>(step), SEEK_CUR) != 0) return 0;
  return step;
}

// Moves the stream itself on by n bytes: read into the destination, or
// passed over by a seek when there is none.
std::uint64_t take_from_stream(FileRecord& file, unsigned char* destination, std::uint64_t n) {
  if (destination == nullptr) return seek_on(file, n);
  return std::fread(destination, 1, static_cast<std::size_t>(n), file.stream);
}

// A read and a skip are one walk: what the buffer holds first, then a
// transfer of a buffer or more straight from the stream, or a refill for
// less (a short skip is cheaper as part of the refill than as a seek).
std::uint64_t take(FileRecord& file, unsigned char* destination, std::uint64_t n) {
  enter_read_mode(file);
  if (file.buffer == nullptr) return take_from_stream(file, destination, n);
  std::uint64_t taken = take_from_buffer(file, destination, std::min<std::uint64_t>(n, file.count));
  std::uint64_t rest = n - taken;
  if (rest == 0) return taken;
  if (destination != nullptr) destination += taken;
  if (rest >= static_cast<std::uint64_t>(file.buffer_size)) return taken + take_from_stream(file, destination, rest);
  refill(file);
  return taken + take_from_buffer(file, destination, std::min<std::uint64_t>(rest, file.count));
}

}  // namespace

void file_record_write_out(FileRecord& file) {
  if (file.mode != FILE_MODE_WRITE || file.buffer == nullptr) return;
  std::size_t pending = static_cast<std::size_t>(file.buffer_size - file.count);
  if (pending > 0) std::fwrite(file.buffer, 1, pending, file.stream);
  file.count = file.buffer_size;
}

std::size_t file_record_read(FileRecord& file, void* destination, std::size_t n) {
  return static_cast<std::size_t>(take(file, static_cast<unsigned char*>(destination), n));
}

std::size_t file_record_write(FileRecord& file, const void* source, std::size_t n) {
  // Bytes after a lost write would land in the wrong place: once a write has
  // failed, the file accepts nothing more, so the failure shows in the count.
  if (std::ferror(file.stream)) return 0;
  enter_write_mode(file);
  if (file.buffer == nullptr) return std::fwrite(source, 1, n, file.stream);
  if (static_cast<std::size_t>(file.count) <= n) {
    file_record_write_out(file);
    if (std::ferror(file.stream)) return 0;
    if (n >= static_cast<std::size_t>(file.buffer_size)) return std::fwrite(source, 1, n, file.stream);
  }
  std::memcpy(file.buffer + (file.buffer_size - file.count), source, n);
  file.count -= static_cast<std::int32_t>(n);
  return n;
}

std::uint64_t file_record_skip(FileRecord& file, std::uint64_t n) { return take(file, nullptr, n); }

std::int64_t file_record_size(const FileRecord& file) {
  struct stat status;
  if (fstat(fileno(file.stream), &status) != 0) return -1;
  return static_cast<std::int64_t>(status.st_size);
}

int file_record_at_end(FileRecord& file) {
  if (file.buffer == nullptr) {
    enter_read_mode(file);
    int c = std::getc(file.stream);
    if (c == EOF) return 1;
    std::ungetc(c, file.stream);
    return 0;
  }
  unsigned char byte;
  if (file_record_read(file, &byte, 1) == 0) return 1;
  file.count += 1;  // the byte stays unread
  return 0;
}
