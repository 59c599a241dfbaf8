#ifndef OSTRELM_TESTS_SUPPORT_TZX_BUILDER_H_
#define OSTRELM_TESTS_SUPPORT_TZX_BUILDER_H_

// Builds TZX images byte by byte for the conversion tests, and the TAP
// records they should turn into. Byte strings are std::string.

#include <cstdint>
#include <string>

class TzxBuilder {
 public:
  // Starts with the 10-byte header: "ZXTape!", 0x1A, version 1.20.
  TzxBuilder();

  // Standard-speed data block (0x10).
  TzxBuilder& standard(const std::string& data, int pause_ms = 1000);
  // Turbo-speed data block (0x11); declared_length, when given, goes into the
  // length field instead of the data's size (to build oversized or cut blocks).
  TzxBuilder& turbo(const std::string& data, std::int64_t declared_length = -1);
  // Pure data block (0x14), like turbo.
  TzxBuilder& pure(const std::string& data, std::int64_t declared_length = -1);
  // Any block: the id and its body as given.
  TzxBuilder& block(int id, const std::string& body);
  // Bytes appended as they are (to cut a file short, leave out the rest).
  TzxBuilder& raw(const std::string& bytes);

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Little-endian fields.
std::string le16(unsigned value);
std::string le24(std::uint32_t value);
std::string le32(std::uint32_t value);

// The TAP record of the data: 16-bit length and the bytes.
std::string tap_record(const std::string& data);
// n bytes that differ from block to block (the position's low byte plus seed).
std::string pattern_bytes(std::size_t n, int seed = 0);

void write_file(const std::string& path, const std::string& bytes);
// The file's bytes; empty when it cannot be read.
std::string read_file(const std::string& path);
// Whether anything (a dangling link too) has the path.
bool path_exists(const std::string& path);

#endif  // OSTRELM_TESTS_SUPPORT_TZX_BUILDER_H_
