// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The eight bytes whose ISO-8859-15 meaning differs from ISO-8859-1 (0xA4 is
// the euro sign), and the UTF-8 that GTK must receive for them.
const char kLatin9Bytes[] = "\xA4\xA6\xA8\xB4\xB8\xBC\xBD\xBE";
const char* const kLatin9Utf8[] = {"\u20AC", "\u0160", "\u0161", "\u017D", "\u017E", "\u0152", "\u0153", "\u0178"};

// The table used without iconv gives the same characters, and the bytes
// beside the eight that differ stay ISO-8859-1.
TEST(TextEncoding, Latin9ToTheToolkitWithAndWithoutIconvAndBack) {
  std::string utf8;
  for (const char* character : kLatin9Utf8) utf8 += character;
  EXPECT_STREQ(text_to_toolkit(kLatin9Bytes).get(), utf8.c_str());
  EXPECT_STREQ(text_latin9_to_utf8(kLatin9Bytes).get(), utf8.c_str());
  EXPECT_STREQ(text_latin9_to_utf8("\xA3\xA5\xA7\xB7\xBF\xFF").get(), "\u00A3\u00A5\u00A7\u00B7\u00BF\u00FF");
  EXPECT_STREQ(text_to_toolkit("Gr\xFC\xDF" "e").get(), "Gr\u00FC\u00DF" "e");
  EXPECT_EQ(text_from_toolkit("Gr\u00FC\u00DF" "e"), "Gr\xFC\xDF" "e");
  // Coming back is one byte per character up to 255: the euro sign is not
  // 0xA4 there, and the text ends at it.
  for (const char* character : kLatin9Utf8)
    EXPECT_EQ(text_from_toolkit(("x" + std::string(character) + "y").c_str()), "x") << character;
  EXPECT_STREQ(text_to_toolkit(nullptr).get(), "");
  EXPECT_EQ(text_from_toolkit(nullptr), "");
  EXPECT_EQ(text_from_toolkit("\u00FF\u00FE"), "\xFF\xFE");
  // The first three-byte character, one with an odd lead byte, a stray continuation byte.
  for (const char* ends : {"x\u0800y", "x\u1041y", "x\x80y"}) EXPECT_EQ(text_from_toolkit(ends), "x") << ends;
  EXPECT_EQ(text_from_toolkit("x\u07FFy"), "x");  // the last two-byte one
}

}  // namespace
