// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/tzx_builder.h"

#include <signal.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>

std::string le(std::uint64_t value, int width) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

std::string tzx(const std::string& blocks) { return std::string("ZXTape!\x1A\x01\x14", 10) + blocks; }

std::string standard_block(const std::string& data) { return "\x10" + le(1000, 2) + le(data.size(), 2) + data; }

std::string pure_block(const std::string& data, std::int64_t length) {
  std::uint64_t size = length < 0 ? data.size() : static_cast<std::uint64_t>(length);
  return "\x14" + le(855, 2) + le(1710, 2) + "\x08" + le(1000, 2) + le(size, 3) + data;
}

std::string tap_record(const std::string& data) { return le(data.size(), 2) + data; }

std::string pattern_bytes(std::size_t n, int seed) {
  std::string bytes(n, '\0');
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i + static_cast<std::size_t>(seed)) & 0xFF);
  return bytes;
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool path_exists(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  getrlimit(RLIMIT_FSIZE, &saved_);
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = {bytes, saved_.rlim_max};
  setrlimit(RLIMIT_FSIZE, &limit);
}
