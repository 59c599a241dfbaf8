#ifndef OSTRELM_TESTS_SUPPORT_TZX_BUILDER_H_
#define OSTRELM_TESTS_SUPPORT_TZX_BUILDER_H_

// TZX images, the TAP records they should become, and file helpers.

#include <cstdint>
#include <string>

std::string le(std::uint64_t value, int width);  // little-endian bytes
// The 10-byte header of version 1.20, then the blocks.
std::string tzx(const std::string& blocks);
// Data blocks of ids 0x10, 0x11 and 0x14. The length field of 0x11 and 0x14
// holds `length` when it is given, to build oversized or cut-short blocks.
std::string standard_block(const std::string& data);
std::string turbo_block(const std::string& data, std::int64_t length = -1);
std::string pure_block(const std::string& data, std::int64_t length = -1);
std::string tap_record(const std::string& data);  // 16-bit length, data
// n bytes that differ from block to block (the position's low byte plus seed).
std::string pattern_bytes(std::size_t n, int seed = 0);

void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);  // empty when unreadable
bool path_exists(const std::string& path);        // a dangling link too

#endif  // OSTRELM_TESTS_SUPPORT_TZX_BUILDER_H_
