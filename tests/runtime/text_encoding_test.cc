#include "runtime/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string to_toolkit(const std::string& text) { return text_to_toolkit(text).get(); }

// The eight bytes whose ISO-8859-15 meaning differs from ISO-8859-1, with
// the UTF-8 that GTK must receive for them.
const struct {
  unsigned char byte;
  const char* utf8;
} kLatin9Differences[] = {
    {0xA4, "\u20AC"}, {0xA6, "\u0160"}, {0xA8, "\u0161"}, {0xB4, "\u017D"},
    {0xB8, "\u017E"}, {0xBC, "\u0152"}, {0xBD, "\u0153"}, {0xBE, "\u0178"},
};

TEST(TextEncoding, ProgramStringsAreLatin9ForTheToolkit) {
  for (const auto& entry : kLatin9Differences)
    EXPECT_EQ(to_toolkit(std::string(1, static_cast<char>(entry.byte))), entry.utf8) << std::hex << int(entry.byte);
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
  const struct {
    const char* utf8;
    std::string expected;
  } cases[] = {
      {"Gr\u00FC\u00DF" "e", "Gr\xFC\xDF" "e"},
      {"\u00FF\u0080", "\xFF\x80"},
      {"\u20AC", ""},
      {"a\u20AC" "b", "a"},
      {"a\U0001F600", "a"},
      {"a\x80" "b", "a"},               // continuation as a start
      {"a\xF8\x80\x80\x80\x80", "a"},  // no 5-byte forms
      {"a\xC3" "b", "a"},               // bad continuation
      {"a\xE2\x82", "a"},               // cut by the end
      {"\xC1\x81", "A"},                // overlong forms decode
      {"\xE0\x83\xBF", "\xFF"},
      {"a\xC0\x80" "b", "a"},           // an overlong zero ends the text
  };
  for (const auto& c : cases) EXPECT_EQ(text_from_toolkit(c.utf8), c.expected) << c.utf8;
  // What latin-9 sends out for the eight differing bytes does not come back.
  for (const auto& entry : kLatin9Differences)
    EXPECT_EQ(text_from_toolkit((std::string("x") + entry.utf8 + "y").c_str()), "x");
  EXPECT_EQ(text_from_toolkit(nullptr), "");
}

}  // namespace
