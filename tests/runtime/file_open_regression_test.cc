// An open that fails under an explicit number leaves that number without a
// file: the file that had it is written out and closed, as on a successful
// open.
#include <gtest/gtest.h>

#include "runtime/file.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

namespace {

TEST(FileOpenRegression, FailedOpenUnderAnExplicitNumberClosesTheFileThatHadIt) {
  ScratchDirectory directory;
  std::string path = directory.file("data.bin");
  ASSERT_NE(file_create(30, path), 0);
  ASSERT_EQ(file_write_data(30, "pending", 7), 7u);
  EXPECT_EQ(file_open_read(30, directory.file("missing.bin")), 0);
  EXPECT_EQ(read_file(path), "pending");
  EXPECT_EQ(file_write_data(30, "more", 4), 0u);
  EXPECT_EQ(file_close(30), 0);
  file_close_all();
}

}  // namespace
