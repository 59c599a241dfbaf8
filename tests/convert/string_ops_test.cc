#include "convert/string_ops.h"

#include <gtest/gtest.h>

namespace {

TEST(StringOps, HexIsUpperCaseWithoutLeadingZeros) {
  EXPECT_EQ(string_hex(0), "0");
  EXPECT_EQ(string_hex(0x1A), "1A");
  EXPECT_EQ(string_hex(0x0F), "F");
  EXPECT_EQ(string_hex(0xFFFFFFFFu), "FFFFFFFF");
}

TEST(StringOps, NameWithoutExtensionCutsAtTheLastDotOfTheWholePath) {
  EXPECT_EQ(name_without_extension("/games/Jet.tzx"), "/games/Jet");
  EXPECT_EQ(name_without_extension("/games/a.b.TZX"), "/games/a.b");
  EXPECT_EQ(name_without_extension("/v1.2/tape.tzx"), "/v1.2/tape");
}

TEST(StringOps, LowerRaisesAsciiAndLatinCapitalsOnly) {
  EXPECT_EQ(string_lower("TzX"), "tzx");
  EXPECT_EQ(string_lower("\xC0\xD7\xDE\xDF\xFF@[z"), "\xE0\xF7\xFE\xDF\xFF@[z");
}

}  // namespace
