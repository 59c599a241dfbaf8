// The buffered numbered files: positions across changes of direction, value
// reads, large transfers, explicit numbers, discarding; and questions about
// named files.
#include "runtime/file.h"

#include <gtest/gtest.h>
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
  file_close(file);
  EXPECT_EQ(file_read_word(open_with("\x05")), 5);  // the one byte left is the low byte
}

TEST_F(File, DirectionChangesKeepThePositionTheProgramSees) {
  ObjectNumber file = open_with(pattern_bytes(10000));
  EXPECT_EQ(file_read_byte(file), 0);
  EXPECT_EQ(file_read_byte(file), 1);
  // The buffer has read ahead; the write lands behind the two bytes delivered,
  EXPECT_EQ(file_write_data(file, "AB", 2), 2u);
  // and a read after the write continues behind the written bytes.
  EXPECT_EQ(file_read_byte(file), 4);
  EXPECT_EQ(file_write_word(file, 0x5958), 2);
  EXPECT_EQ(file_close(file), 1);
  std::string expected = pattern_bytes(10000);
  EXPECT_EQ(read_file(path), expected.replace(2, 2, "AB").replace(5, 2, "XY"));
}

TEST_F(File, EofBetweenReadsDeliversNothingAndMovesNothing) {
  EXPECT_EQ(file_eof(file_open(OBJECT_NUMBER_ANY, directory.file("new"))), 1);  // created empty
  EXPECT_TRUE(path_exists(directory.file("new")));
  std::string bytes = pattern_bytes(FILE_BUFFER_SIZE + 1, 3);
  ObjectNumber file = open_with(bytes);  // an existing file is opened as it is
  unsigned char block[FILE_BUFFER_SIZE];
  ASSERT_EQ(file_read_data(file, block, 10), 10u);
  EXPECT_EQ(file_eof(file), 0);
  EXPECT_EQ(file_read_byte(file), 13);
  ASSERT_EQ(file_read_data(file, block, FILE_BUFFER_SIZE - 11), FILE_BUFFER_SIZE - 11u);
  EXPECT_EQ(file_eof(file), 0);  // the buffer is used up: this refills it
  EXPECT_EQ(file_read_byte(file), static_cast<signed char>(bytes.back()));
  EXPECT_EQ(file_eof(file), 1);
}

TEST_F(File, TransfersLargerThanTheBufferArriveWhole) {
  std::string bytes = pattern_bytes(10000, 1), got(10000, '\0');
  ObjectNumber file = open_with(bytes);
  EXPECT_EQ(file_read_data(file, &got[0], 10000), 10000u);
  EXPECT_EQ(got, bytes);
  file_close(file);

  file = file_create(OBJECT_NUMBER_ANY, path);
  EXPECT_EQ(file_write_word(file, 7), 2);  // pending in the buffer, so it must go first
  EXPECT_EQ(file_write_data(file, bytes.data(), bytes.size()), bytes.size());
  EXPECT_EQ(file_close(file), 1);
  EXPECT_EQ(read_file(path), std::string("\x07\x00", 2) + bytes);
}

TEST_F(File, ExplicitNumberGivesTheStreamAndAnyOpenUnderItClosesTheOldFileFirst) {
  ObjectNumber stream = file_create(20, path);
  EXPECT_NE(stream, 0);
  EXPECT_NE(stream, 20);
  EXPECT_EQ(file_write_data(20, "pending", 7), 7u);
  ASSERT_NE(file_create(20, directory.file("other.bin")), 0);
  EXPECT_EQ(read_file(path), "pending");  // written out when the number was reused
  EXPECT_EQ(file_write_data(20, "more", 4), 4u);
  EXPECT_EQ(file_open_read(20, directory.file("missing")), 0);  // a failed open too
  EXPECT_EQ(read_file(directory.file("other.bin")), "more");
  EXPECT_EQ(file_write_data(20, "x", 1), 0u);
  EXPECT_EQ(file_close(20), 0);
}

TEST_F(File, DiscardEmptiesTheFileAndDropsPendingBytes) {
  ObjectNumber file = open_with("written");
  EXPECT_EQ(file_write_data(file, "pending", 7), 7u);
  EXPECT_EQ(file_discard(file), 1);
  EXPECT_EQ(read_file(path), "");
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
  ASSERT_EQ(start.back(), '/');
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(current_directory(), "/");
  ASSERT_EQ(chdir(start.c_str()), 0);
}

}  // namespace
