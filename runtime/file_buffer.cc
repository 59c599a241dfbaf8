// How one 4096-byte buffer serves both directions of a file: it holds bytes
// read ahead in read mode and bytes not yet written in write mode, and a
// change of direction first settles the stream position with the buffer.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "runtime/file_record.h"

namespace {

// Streams carry no buffer of their own (see the openers), so each call here is
// one system call and a short count means an error or the end of the file.
std::size_t stream_write(FileRecord& file, const void* source, std::size_t n) {
  std::size_t written = std::fwrite(source, 1, n, file.stream);
  if (written < n) file.failed = true;
  return written;
}

// From write mode to read mode; the C library asks for a flush or a seek
// between output and input on the same stream (unbuffered files too, which
// keep the mode for this alone).
void enter_read_mode(FileRecord& file) {
  if (file.mode == FILE_MODE_READ) return;
  file_record_write_out(file);
  if (std::fflush(file.stream) != 0) file.failed = true;
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

std::size_t take_from_buffer(FileRecord& file, unsigned char* destination, std::size_t n) {
  std::memcpy(destination, file.buffer + (file.fill - file.count), n);
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
  struct stat status;
  off_t position = ftello(file.stream);
  if (position < 0 || fstat(fileno(file.stream), &status) != 0) return 0;
  return status.st_size > position ? static_cast<std::uint64_t>(status.st_size - position) : 0;
}

std::uint64_t seek_on(FileRecord& file, std::uint64_t n) {
  std::uint64_t step = std::min(n, bytes_after_position(file));
  if (step > 0 && fseeko(file.stream, static_cast<off_t>(step), SEEK_CUR) != 0) return 0;
  return step;
}

}  // namespace

void file_record_write_out(FileRecord& file) {
  if (file.mode != FILE_MODE_WRITE || file.buffer == nullptr) return;
  std::size_t pending = static_cast<std::size_t>(file.buffer_size - file.count);
  if (pending > 0) stream_write(file, file.buffer, pending);
  file.count = file.buffer_size;
}

std::size_t file_record_read(FileRecord& file, void* destination, std::size_t n) {
  auto* out = static_cast<unsigned char*>(destination);
  enter_read_mode(file);
  if (file.buffer == nullptr) return std::fread(out, 1, n, file.stream);
  std::size_t available = static_cast<std::size_t>(file.count);
  if (available >= n) return take_from_buffer(file, out, n);
  std::size_t copied = take_from_buffer(file, out, available);
  std::size_t rest = n - copied;
  if (rest >= static_cast<std::size_t>(file.buffer_size)) {
    return copied + std::fread(out + copied, 1, rest, file.stream);
  }
  refill(file);
  std::size_t take = std::min(rest, static_cast<std::size_t>(file.count));
  return copied + take_from_buffer(file, out + copied, take);
}

std::size_t file_record_write(FileRecord& file, const void* source, std::size_t n) {
  // Bytes after a lost write would land in the wrong place: once a write has
  // failed, the file accepts nothing more, so the failure shows in the count.
  if (file.failed) return 0;
  enter_write_mode(file);
  if (file.buffer == nullptr) return stream_write(file, source, n);
  if (static_cast<std::size_t>(file.count) <= n) {
    file_record_write_out(file);
    if (file.failed) return 0;
    if (n >= static_cast<std::size_t>(file.buffer_size)) return stream_write(file, source, n);
  }
  std::memcpy(file.buffer + (file.buffer_size - file.count), source, n);
  file.count -= static_cast<std::int32_t>(n);
  return n;
}

std::uint64_t file_record_skip(FileRecord& file, std::uint64_t n) {
  enter_read_mode(file);
  if (file.buffer == nullptr) return seek_on(file, n);
  std::uint64_t available = static_cast<std::uint64_t>(file.count);
  if (available >= n) {
    file.count -= static_cast<std::int32_t>(n);
    return n;
  }
  file.count = 0;
  std::uint64_t rest = n - available;
  // A short step is cheaper as part of the next refill than as a seek.
  if (rest < static_cast<std::uint64_t>(file.buffer_size)) {
    refill(file);
    std::int32_t take = static_cast<std::int32_t>(std::min<std::uint64_t>(rest, file.count));
    file.count -= take;
    return available + static_cast<std::uint64_t>(take);
  }
  return available + seek_on(file, rest);
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
