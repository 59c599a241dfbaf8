// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/string_ops.h"

std::string string_hex(std::uint64_t value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), digits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return text;
}

std::string name_without_extension(const std::string& path) {
  return path.substr(0, path.rfind('.'));
}

std::string string_lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) {
    unsigned char byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE)) {
      c = static_cast<char>(byte + 0x20);
    }
  }
  return lower;
}
