// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_RUNTIME_FILE_H_
#define OSTRELM_RUNTIME_FILE_H_

// Numbered files over C streams. Each open file has one 4096-byte buffer that
// serves reads and writes alike, so the many one-, two- and four-byte accesses
// of the tape conversion are a copy rather than a library call; transfers of a
// whole buffer or more go straight to the stream.
//
// Every opener takes an object number or OBJECT_NUMBER_ANY (-1). With -1 it
// returns the new file's number; with an explicit number it returns the C
// stream handle as an ObjectNumber (a file that had the number is closed
// first). 0 means failure. Operations on a number without a file do nothing
// and return 0.

#include <cstddef>
#include <cstdint>
#include <string>

#include "registry/object_number.h"

constexpr int FILE_BUFFER_SIZE = 4096;

// Creates the file table; called once at start-up before any file is opened.
// The openers call it themselves when it was not called yet.
void file_layer_init();
// Writes out and closes every file still open (shut-down).
void file_close_all();

// Opens an existing file for reading and writing; creates it empty when it is
// missing. An existing file that cannot be opened for both is never truncated:
// the open fails.
ObjectNumber file_open(ObjectNumber number, const std::string& path);
// Creates the file for reading and writing, truncating an existing one.
ObjectNumber file_create(ObjectNumber number, const std::string& path);
// Opens an existing regular file for reading only. Anything else (a missing
// path, a directory, a FIFO, a device) fails at once; the open never blocks
// and never changes the file system, nor the file's access time where the
// process may keep it (the owner's or a privileged process).
ObjectNumber file_open_read(ObjectNumber number, const std::string& path);

// Writes out pending bytes, closes the stream and frees the record. Returns 1
// when every write to the file since it was opened succeeded and the close
// did too; 0 after a failed write (or any other error of the stream, such as
// a failed read), a failed close, or for a number without a file.
int file_close(ObjectNumber number);
// Writes out the pending bytes now. Returns 1 when every write to the file
// since it was opened succeeded; 0 otherwise or for a number without a file.
int file_flush(ObjectNumber number);

// 1 if no byte is left to read, else 0. Does not move the position that the
// program sees (pending writes are written out, though).
int file_eof(ObjectNumber number);
// Reads up to n bytes; returns the number delivered.
std::size_t file_read_data(ObjectNumber number, void* destination, std::size_t n);
// Writes n bytes; returns the number accepted. Bytes taken into the buffer
// count as accepted; should writing them out fail later, that write and every
// one after it accept nothing (and file_close reports the failure).
std::size_t file_write_data(ObjectNumber number, const void* source, std::size_t n);
// Moves the read position n bytes on, seeking rather than reading where the
// bytes are not in the buffer. Returns the bytes passed over, fewer than n
// when the file ends first.
std::uint64_t file_skip(ObjectNumber number, std::uint64_t n);

// Little-endian value reads, widened with their sign (the byte 0x80 gives
// -128). Bytes that cannot be read count as 0.
int file_read_byte(ObjectNumber number);
int file_read_word(ObjectNumber number);
std::int32_t file_read_long(ObjectNumber number);
// Writes the low 16 bits of value, little-endian; returns the bytes accepted.
int file_write_word(ObjectNumber number, int value);

// The size of the open file on disk, pending writes not counted; -1 for a
// number without a file.
std::int64_t file_length(ObjectNumber number);

#endif  // OSTRELM_RUNTIME_FILE_H_
