// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_STRING_OPS_H_
#define OSTRELM_CONVERT_STRING_OPS_H_

// String operations of the conversion. Program strings are 8-bit text.

#include <cstdint>
#include <string>

// The number in upper-case hexadecimal without leading zeros ("0" for 0).
std::string string_hex(std::uint64_t value);

// The path without the text from its last "." on; the whole path when it has
// no ".".
std::string name_without_extension(const std::string& path);

// A copy with A to Z and the 8-bit upper-case letters 0xC0 to 0xDE raised by
// 0x20; every other byte unchanged.
std::string string_lower(const std::string& text);

#endif  // OSTRELM_CONVERT_STRING_OPS_H_
