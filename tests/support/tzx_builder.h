// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TESTS_SUPPORT_TZX_BUILDER_H_
#define OSTRELM_TESTS_SUPPORT_TZX_BUILDER_H_

// TZX images, the TAP records they should become, and file helpers.

#include <sys/resource.h>

#include <cstdint>
#include <string>

std::string le(std::uint64_t value, int width);  // little-endian bytes
std::string tzx(const std::string& blocks);      // the version 1.20 header, then the blocks
// Data blocks 0x10 and 0x14; a `length` given makes 0x14 oversized or cut short.
std::string standard_block(const std::string& data);
std::string pure_block(const std::string& data, std::int64_t length = -1);
std::string tap_record(const std::string& data);         // 16-bit length, data
std::string pattern_bytes(std::size_t n, int seed = 0);  // (position + seed) & 0xFF

void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);  // empty when unreadable
bool path_exists(const std::string& path);        // a dangling link too

// Writes past `bytes` fail while it lives, as on a full disk (SIGXFSZ ignored).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  struct rlimit saved_;
};

#endif  // OSTRELM_TESTS_SUPPORT_TZX_BUILDER_H_
