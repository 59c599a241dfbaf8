#include "runtime/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string to_toolkit(const std::string& text) { return text_to_toolkit(text).get(); }

// The eight bytes whose ISO-8859-15 meaning differs from ISO-8859-1, with the
// UTF-8 that GTK must receive for them.
const struct {
  unsigned char byte;
  const char* utf8;
} kLatin9Differences[] = {
    {0xA4, "\u20AC"}, {0xA6, "\u0160"}, {0xA8, "\u0161"}, {0xB4, "\u017D"},
    {0xB8, "\u017E"}, {0xBC, "\u0152"}, {0xBD, "\u0153"}, {0xBE, "\u0178"},
};

TEST(TextToToolkit, ReadsProgramStringsAsLatin9) {
  for (const auto& entry : kLatin9Differences)
    EXPECT_EQ(to_toolkit(std::string(1, static_cast<char>(entry.byte))), entry.utf8)
        << std::hex << int(entry.byte);
  EXPECT_EQ(to_toolkit("Gr\xFC\xDF" "e"), "Gr\u00FC\u00DF" "e");
  EXPECT_EQ(to_toolkit("Nib_Ostrelm v. 0.13"), "Nib_Ostrelm v. 0.13");
}

TEST(TextToToolkit, NullAndEmptyGiveEmptyString) {
  ToolkitText none = text_to_toolkit(nullptr);
  ASSERT_NE(none, nullptr);
  EXPECT_STREQ(none.get(), "");
  EXPECT_STREQ(text_to_toolkit(std::string()).get(), "");
}

TEST(TextToToolkit, StopsAtEmbeddedNul) {
  EXPECT_EQ(to_toolkit(std::string("ab\0cd", 5)), "ab");
}

// The fallback must agree with iconv for every byte, or GTK would show
// different text on systems without the conversion module.
TEST(TextToToolkit, FallbackTableMatchesIconvForEveryByte) {
  for (int byte = 1; byte < 256; ++byte) {
    const char text[] = {static_cast<char>(byte), 0};
    EXPECT_STREQ(text_latin9_to_utf8(text).get(), text_to_toolkit(text).get()) << byte;
    EXPECT_TRUE(g_utf8_validate(text_latin9_to_utf8(text).get(), -1, nullptr)) << byte;
  }
  EXPECT_STREQ(text_latin9_to_utf8(nullptr).get(), "");
}

TEST(TextFromToolkit, KeepsLatin1RangeOneBytePerCharacter) {
  EXPECT_EQ(text_from_toolkit("Gr\u00FC\u00DF" "e"), "Gr\xFC\xDF" "e");
  EXPECT_EQ(text_from_toolkit("\u00FF\u0080"), "\xFF\x80");
}

TEST(TextFromToolkit, EndsAtFirstCharacterAbove255) {
  EXPECT_EQ(text_from_toolkit("\u20AC"), "");
  EXPECT_EQ(text_from_toolkit("a\u20AC" "b"), "a");
  // What latin-9 sends out for the eight differing bytes does not come back.
  for (const auto& entry : kLatin9Differences)
    EXPECT_EQ(text_from_toolkit((std::string("x") + entry.utf8 + "y").c_str()), "x");
  EXPECT_EQ(text_from_toolkit("a\U0001F600"), "a");
}

TEST(TextFromToolkit, StopsAtMalformedInput) {
  EXPECT_EQ(text_from_toolkit("a\x80" "b"), "a");          // continuation as a start
  EXPECT_EQ(text_from_toolkit("a\xF8\x80\x80\x80\x80"), "a");  // no 5-byte forms
  EXPECT_EQ(text_from_toolkit("a\xC3" "b"), "a");          // bad continuation
  EXPECT_EQ(text_from_toolkit("a\xC3"), "a");              // cut by the end
  EXPECT_EQ(text_from_toolkit("a\xE2\x82"), "a");
}

TEST(TextFromToolkit, OverlongFormsDecodeAndZeroEnds) {
  EXPECT_EQ(text_from_toolkit("\xC1\x81"), "A");
  EXPECT_EQ(text_from_toolkit("\xE0\x83\xBF"), "\xFF");
  EXPECT_EQ(text_from_toolkit("a\xC0\x80" "b"), "a");
}

TEST(TextFromToolkit, NullGivesEmptyString) { EXPECT_EQ(text_from_toolkit(nullptr), ""); }

}  // namespace
