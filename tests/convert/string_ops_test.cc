// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion's string operations on 8-bit program strings.
#include "convert/string_ops.h"

#include <gtest/gtest.h>

namespace {

// Each letter range is raised by 0x20 from its first byte to its last, and
// the bytes on either side of it stay as they are.
TEST(StringOps, LowerHexAndNameWithoutExtension) {
  const std::string upper("\x40\x41\x5A\x5B\x60\x61\x7A\xBF\xC0\xD7\xDE\xDF\xE0\xFE\xFF", 15);
  const std::string lower("\x40\x61\x7A\x5B\x60\x61\x7A\xBF\xE0\xF7\xFE\xDF\xE0\xFE\xFF", 15);
  EXPECT_EQ(string_lower(upper), lower);
  EXPECT_EQ(string_lower(std::string("T\0ZX", 4)), std::string("t\0zx", 4));
  EXPECT_EQ(string_hex(0) + " " + string_hex(0x1A) + " " + string_hex(0xFEDCBA9876543210), "0 1A FEDCBA9876543210");
  // The last "." of the whole path, a directory's included.
  EXPECT_EQ(name_without_extension("/games/Jet.set.tzx"), "/games/Jet.set");
  EXPECT_EQ(name_without_extension("/games.d/Jet"), "/games");
  EXPECT_EQ(name_without_extension("Jet"), "Jet");
}

}  // namespace
