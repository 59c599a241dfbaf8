// SPDX-License-Identifier: GPL-3.0-or-later
// The file table: an object table of FileRecords whose free function is
// file_close, so that reusing a static number closes the file that had it.
#include "runtime/file_table.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "runtime/file.h"
#include "registry/object_table.h"

namespace {

constexpr int FILE_TABLE_SLOTS = 16;

std::unique_ptr<ObjectTable> file_table;

void close_as_free_function(ObjectNumber number) { file_close(number); }

}  // namespace

void file_layer_init() {
  if (file_table == nullptr) {
    file_table = object_table_create(sizeof(FileRecord), FILE_TABLE_SLOTS, close_as_free_function);
  }
}

void file_close_all() {
  if (file_table != nullptr) object_table_free_all(*file_table);
}

FileRecord* file_find(ObjectNumber number) {
  if (file_table == nullptr || number == OBJECT_NUMBER_ANY) return nullptr;
  return object_find_record<FileRecord>(*file_table, number);
}

ObjectNumber file_register(ObjectNumber number, std::FILE* stream) {
  file_layer_init();
  auto* file = static_cast<FileRecord*>(object_new(*file_table, number));
  if (file == nullptr) {
    std::fclose(stream);
    return 0;
  }
  // The file's own buffer replaces the stream's: one buffer per file, and
  // whole-buffer transfers reach the system without a second copy.
  std::setvbuf(stream, nullptr, _IONBF, 0);
  file->stream = stream;
  file->buffer = static_cast<unsigned char*>(std::calloc(FILE_BUFFER_SIZE, 1));
  file->buffer_size = FILE_BUFFER_SIZE;
  file->count = 0;
  file->fill = 0;
  file->mode = FILE_MODE_READ;
  if (number == OBJECT_NUMBER_ANY) return object_record_number(file);
  return reinterpret_cast<ObjectNumber>(stream);
}

int file_close(ObjectNumber number) {
  FileRecord* file = file_find(number);
  if (file == nullptr) return 0;
  file_record_write_out(*file);
  std::free(file->buffer);
  bool failed = std::ferror(file->stream) != 0;
  bool closed = std::fclose(file->stream) == 0;
  object_free(*file_table, number);
  return closed && !failed ? 1 : 0;
}

int file_flush(ObjectNumber number) {
  FileRecord* file = file_find(number);
  if (file == nullptr) return 0;
  file_record_write_out(*file);
  return std::ferror(file->stream) ? 0 : 1;
}
