#include "runtime/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string to_toolkit(const std::string& text) { return text_to_toolkit(text).get(); }

// The eight bytes whose ISO-8859-15 meaning differs from ISO-8859-1, and the
// UTF-8 that GTK must receive for them.
const char kLatin9Bytes[] = "\xA4\xA6\xA8\xB4\xB8\xBC\xBD\xBE";
const char* const kLatin9Utf8[] = {"\u20AC", "\u0160", "\u0161", "\u017D", "\u017E", "\u0152", "\u0153", "\u0178"};

TEST(TextEncoding, ProgramStringsAreLatin9ForTheToolkit) {
  std::string utf8;
  for (const char* character : kLatin9Utf8) utf8 += character;
  EXPECT_EQ(to_toolkit(kLatin9Bytes), utf8);
  EXPECT_EQ(to_toolkit("Gr\xFC\xDF" "e"), "Gr\u00FC\u00DF" "e");
  EXPECT_EQ(to_toolkit(std::string("ab\0cd", 5)), "ab") << "stops at a NUL";
  EXPECT_STREQ(text_to_toolkit(nullptr).get(), "");
  EXPECT_STREQ(text_latin9_to_utf8(nullptr).get(), "");
}

// The fallback must agree with iconv for every byte, or GTK would show
// different text on systems without the conversion module.
TEST(TextEncoding, FallbackTableMatchesIconvForEveryByte) {
  for (int byte = 1; byte < 256; ++byte) {
    const char text[] = {static_cast<char>(byte), 0};
    EXPECT_STREQ(text_latin9_to_utf8(text).get(), text_to_toolkit(text).get()) << byte;
    EXPECT_TRUE(g_utf8_validate(text_latin9_to_utf8(text).get(), -1, nullptr)) << byte;
  }
}

// Coming back, one byte per character up to 255; the text ends at the first
// character above that and at the first malformed sequence.
TEST(TextEncoding, ToolkitTextBackToProgramStrings) {
  const std::pair<const char*, std::string> cases[] = {
      {"Gr\u00FC\u00DF" "e", "Gr\xFC\xDF" "e"}, {"\u00FF\u0080", "\xFF\x80"}, {"\u20AC", ""}, {"a\u20AC" "b", "a"},
      {"a\U0001F600", "a"},
      {"a\x80" "b", "a"},               // continuation as a start
      {"a\xF8\x80\x80\x80\x80", "a"},  // no 5-byte forms
      {"a\xC3" "b", "a"},               // bad continuation
      {"a\xE2\x82", "a"},               // cut by the end
      {"\xC1\x81", "A"},                // overlong forms decode
      {"\xE0\x83\xBF", "\xFF"},
      {"a\xC0\x80" "b", "a"},           // an overlong zero ends the text
  };
  for (const auto& [utf8, expected] : cases) EXPECT_EQ(text_from_toolkit(utf8), expected) << utf8;
  // What latin-9 sends out for the eight differing bytes does not come back.
  for (const char* utf8 : kLatin9Utf8) EXPECT_EQ(text_from_toolkit(("x" + std::string(utf8) + "y").c_str()), "x");
  EXPECT_EQ(text_from_toolkit(nullptr), "");
}

}  // namespace
