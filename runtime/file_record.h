// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_RUNTIME_FILE_RECORD_H_
#define OSTRELM_RUNTIME_FILE_RECORD_H_

// The record of one open file and the buffer mechanics behind the numbered
// operations of file.h. Internal to the file layer.

#include <cstddef>
#include <cstdint>
#include <cstdio>

enum FileMode { FILE_MODE_WRITE = 0, FILE_MODE_READ = 1 };

// Lives in a slot of the file table, which zero-fills it and takes a zero
// stream for a free slot; hence a plain record with the stream first.
// Invariants: in read mode the stream is count bytes ahead of the position the
// program sees, and the next byte to deliver is at buffer[fill - count]; in
// write mode the first buffer_size - count bytes wait to be written at the
// stream position. A write that failed since the open shows in the stream's
// error indicator: the streams are unbuffered, so a short write is an error
// of the stream itself, and it stays set until the file is closed.
struct FileRecord {
  std::FILE* stream;
  unsigned char* buffer;  // none when its allocation failed: then unbuffered
  std::int32_t buffer_size;
  std::int32_t count;
  std::int32_t fill;
  std::int32_t mode;
};

// Buffered transfers; each keeps the invariants above.
std::size_t file_record_read(FileRecord& file, void* destination, std::size_t n);
std::size_t file_record_write(FileRecord& file, const void* source, std::size_t n);
std::uint64_t file_record_skip(FileRecord& file, std::uint64_t n);
int file_record_at_end(FileRecord& file);
// The size of the file on disk, pending writes not counted; -1 when the
// system cannot tell.
std::int64_t file_record_size(const FileRecord& file);
// Writes the pending bytes of write mode to the stream; nothing in read mode.
void file_record_write_out(FileRecord& file);

#endif  // OSTRELM_RUNTIME_FILE_RECORD_H_
