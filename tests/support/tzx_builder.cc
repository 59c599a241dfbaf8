#include "tests/support/tzx_builder.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace {

std::string little_endian(std::uint64_t value, int width) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

std::uint32_t length_field(const std::string& data, std::int64_t declared_length) {
  return static_cast<std::uint32_t>(declared_length < 0 ? static_cast<std::int64_t>(data.size()) : declared_length);
}

}  // namespace

std::string le16(unsigned value) { return little_endian(value, 2); }
std::string le24(std::uint32_t value) { return little_endian(value, 3); }
std::string le32(std::uint32_t value) { return little_endian(value, 4); }

TzxBuilder::TzxBuilder() : bytes_(std::string("ZXTape!\x1A", 8) + "\x01\x14") {}

TzxBuilder& TzxBuilder::standard(const std::string& data, int pause_ms) {
  return block(0x10, le16(static_cast<unsigned>(pause_ms)) + le16(static_cast<unsigned>(data.size())) + data);
}

TzxBuilder& TzxBuilder::turbo(const std::string& data, std::int64_t declared_length) {
  std::string timing = le16(2168) + le16(667) + le16(735) + le16(855) + le16(1710) + le16(3223);
  std::string fields = timing + "\x08" + le16(1000);
  return block(0x11, fields + le24(length_field(data, declared_length)) + data);
}

TzxBuilder& TzxBuilder::pure(const std::string& data, std::int64_t declared_length) {
  std::string fields = le16(855) + le16(1710) + "\x08" + le16(1000);
  return block(0x14, fields + le24(length_field(data, declared_length)) + data);
}

TzxBuilder& TzxBuilder::block(int id, const std::string& body) {
  bytes_ += static_cast<char>(id);
  bytes_ += body;
  return *this;
}

TzxBuilder& TzxBuilder::raw(const std::string& bytes) {
  bytes_ += bytes;
  return *this;
}

std::string tap_record(const std::string& data) {
  return le16(static_cast<unsigned>(data.size())) + data;
}

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
