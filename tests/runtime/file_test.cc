// The buffered numbered files: positions, value reads; questions about named files.
#include "runtime/file.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/file_names.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

namespace {

class File : public ::testing::Test {
 protected:
  void TearDown() override { file_close_all(); }
  ObjectNumber open_with(const std::string& bytes) {
    write_file(path, bytes);
    return file_open(OBJECT_NUMBER_ANY, path);
  }

  ScratchDirectory directory;
  std::string path = directory.file("data.bin");
};

TEST_F(File, ValueReadsAreLittleEndianWidenedWithTheirSignAndZeroPastTheEnd) {
  ObjectNumber file = open_with(std::string("\x80\x34\x12\xFF\xFF\xFE\xFF\xFF\xFF\x7F\x42", 11));
  EXPECT_EQ(file_read_byte(file), -128);
  EXPECT_EQ(file_read_word(file), 0x1234);
  EXPECT_EQ(file_read_word(file), -1);
  EXPECT_EQ(file_read_long(file), -2);
  EXPECT_EQ(file_read_word(file), 0x427F);
  EXPECT_EQ(file_read_byte(file), 0);
  EXPECT_EQ(file_read_word(open_with("\x05")), 5);  // the one byte left is the low byte
}

TEST_F(File, PositionsAcrossDirectionChangesEofChecksAndLargeReads) {
  std::string bytes = pattern_bytes(10000), got(10000, '\0');
  EXPECT_EQ(file_read_data(open_with(bytes), &got[0], 10000), 10000u);
  EXPECT_EQ(got, bytes);
  ObjectNumber file = open_with(bytes);
  EXPECT_EQ(file_read_byte(file), 0);
  EXPECT_EQ(file_read_byte(file), 1);
  EXPECT_EQ(file_write_data(file, "AB", 2), 2u);  // behind the bytes delivered, not the buffer's
  EXPECT_EQ(file_read_byte(file), 4);             // behind the bytes written
  EXPECT_EQ(file_write_word(file, 0x5958), 2);
  EXPECT_EQ(file_close(file), 1);
  EXPECT_EQ(read_file(path), bytes.replace(2, 2, "AB").replace(5, 2, "XY"));

  bytes = pattern_bytes(FILE_BUFFER_SIZE + 1, 3);
  file = open_with(bytes);
  unsigned char block[FILE_BUFFER_SIZE];
  ASSERT_EQ(file_read_data(file, block, 10), 10u);
  EXPECT_EQ(file_eof(file), 0);  // delivers nothing and moves nothing
  EXPECT_EQ(file_read_byte(file), 13);
  ASSERT_EQ(file_read_data(file, block, FILE_BUFFER_SIZE - 11), FILE_BUFFER_SIZE - 11u);
  EXPECT_EQ(file_eof(file), 0);  // the buffer is used up: this refills it
  EXPECT_EQ(file_read_byte(file), static_cast<signed char>(bytes.back()));
  EXPECT_EQ(file_eof(file), 1);
}

TEST_F(File, NamedFilesSizesExtensionsAndTheCurrentDirectory) {
  EXPECT_EQ(file_size(directory.path()), -2);
  EXPECT_EQ(file_size(path), -1);
  write_file(path, "");
  EXPECT_EQ(file_size(path), 0);
  for (auto [name, extension] : {std::pair{"a.tzx", "tzx"}, {"dir.d/name", ""}, {"name", ""}, {".profile", "profile"},
                                 {"a.b.c", "c"}, {"name.tzx\"x", "tzx"}, {"name.", ""}}) {
    EXPECT_EQ(path_extension(name), extension) << name;
  }
  std::string start = current_directory();
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(current_directory(), "/");
  ASSERT_EQ(chdir(start.c_str()), 0);
}

// A device or FIFO named as a tape is refused without being opened at all:
// opening some devices acts on them. inotify sees every open of the FIFO.
TEST_F(File, AReadOnlyOpenRefusesWhatIsNoRegularFileWithoutOpeningIt) {
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, path.c_str(), IN_OPEN), 0);
  EXPECT_EQ(file_open_read(OBJECT_NUMBER_ANY, path), 0);
  char events[4096];
  EXPECT_LT(read(watch, events, sizeof events), 0) << "the FIFO was opened";
  close(watch);
  write_file(directory.file("tape.tzx"), "ZXTape!");
  EXPECT_NE(file_open_read(OBJECT_NUMBER_ANY, directory.file("tape.tzx")), 0);
}

}  // namespace
