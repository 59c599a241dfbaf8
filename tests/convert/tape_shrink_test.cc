// SPDX-License-Identifier: GPL-3.0-or-later
// A tape cut short by another program while it is read: at the boundary after
// a block, a byte past it (inside the next block's fixed fields), or to
// nothing. Its size at open promised more bytes than came, so no TAP file is
// left and the line says the tape could not be read.
#include <gtest/gtest.h>
#include <unistd.h>

#include "convert/tzx_to_tap.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

TEST(TapeShrink, ACutWhileReadIsNoticedFromTheSizeAtOpen) {
  // The first block's size message comes before its data is read: the moment
  // the tape is cut.
  const std::string oversized = pure_block(pattern_bytes(70000));
  const off_t boundary = static_cast<off_t>(tzx("").size() + oversized.size());
  for (off_t cut : {boundary, boundary + 1, off_t{0}}) {
    ScratchDirectory directory;
    const std::string path = directory.file("cut.tzx"), tap = directory.file("cut.tap");
    write_file(path, tzx(oversized + standard_block("after")));
    std::vector<std::string> lines;
    EXPECT_FALSE(convert_tzx_to_tap(path, [&](const std::string& line) {
      EXPECT_TRUE(!lines.empty() || truncate(path.c_str(), cut) == 0);
      lines.push_back(line);
    }));
    const std::vector<std::string> expected = {tap + ": size over 65535 bytes cannot be saved in TAP",
                                               tap + ": cannot read the TZX file"};
    EXPECT_EQ(lines, expected) << cut;
    EXPECT_FALSE(path_exists(tap)) << cut;
  }
}
