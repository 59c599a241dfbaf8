// SPDX-License-Identifier: GPL-3.0-or-later
// The ways to open a numbered file. The plain opens follow the C library; the
// read-only open works on a descriptor first, because it must refuse what is
// not a regular file without blocking on it (a FIFO).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/file.h"
#include "runtime/file_table.h"

namespace {

constexpr mode_t NEW_FILE_PERMISSIONS = 0666;  // narrowed by the umask

// Hands an open descriptor to a C stream; closes it when that fails.
std::FILE* descriptor_stream(int descriptor, const char* stream_mode) {
  if (descriptor < 0) return nullptr;
  std::FILE* stream = fdopen(descriptor, stream_mode);
  if (stream == nullptr) close(descriptor);
  return stream;
}

// The same for a descriptor that names a regular file; closes it otherwise.
// O_NONBLOCK, used so that opening a FIFO cannot hang, has no effect on
// regular files, so it may stay set.
std::FILE* regular_file_stream(int descriptor, const char* stream_mode) {
  struct stat status;
  if (descriptor >= 0 && (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))) {
    close(descriptor);
    return nullptr;
  }
  return descriptor_stream(descriptor, stream_mode);
}

// A failed open under an explicit number still ends the file that had the
// number, as a successful one would: the number names no file afterwards, so
// later operations on it cannot reach the old file by mistake.
ObjectNumber register_stream(ObjectNumber number, std::FILE* stream) {
  if (stream != nullptr) return file_register(number, stream);
  if (number != OBJECT_NUMBER_ANY) file_close(number);
  return 0;
}

}  // namespace

ObjectNumber file_open(ObjectNumber number, const std::string& path) {
  std::FILE* stream = std::fopen(path.c_str(), "r+");
  if (stream == nullptr && errno == ENOENT) {
    // Created without O_TRUNC: a file that appeared since the first attempt
    // keeps its contents.
    stream = descriptor_stream(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, NEW_FILE_PERMISSIONS), "r+");
  }
  return register_stream(number, stream);
}

ObjectNumber file_create(ObjectNumber number, const std::string& path) {
  return register_stream(number, std::fopen(path.c_str(), "w+"));
}

ObjectNumber file_open_read(ObjectNumber number, const std::string& path) {
  // Opening a device can act on it (a tape drive rewinds when closed, a
  // terminal may become the controlling one), so what is plainly not a
  // regular file is refused before any open; the check after the open still
  // catches a file swapped in between.
  struct stat named;
  if (stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) return register_stream(number, nullptr);
  // What is only read keeps its access time too; only the file's owner (or a
  // privileged process) may ask for that, anyone else reads the ordinary way.
  constexpr int READ_FLAGS = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int descriptor = open(path.c_str(), READ_FLAGS | O_NOATIME);
  if (descriptor < 0 && errno == EPERM) descriptor = open(path.c_str(), READ_FLAGS);
  return register_stream(number, regular_file_stream(descriptor, "r"));
}
