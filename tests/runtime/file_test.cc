// The buffered numbered files: positions across changes of direction, the
// value reads, skipping, the openers and the questions about named files.
#include "runtime/file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "runtime/file_names.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

namespace {

class File : public ::testing::Test {
 protected:
  void SetUp() override { file_layer_init(); }
  void TearDown() override { file_close_all(); }

  // Opens a file holding the bytes, or a new empty one.
  ObjectNumber open_with(const std::string& bytes) {
    write_file(path, bytes);
    return file_open(OBJECT_NUMBER_ANY, path);
  }

  ScratchDirectory directory;
  std::string path = directory.file("data.bin");
};

TEST_F(File, OpenCreatesAMissingFileEmptyAndKeepsAnExistingOne) {
  ObjectNumber file = file_open(OBJECT_NUMBER_ANY, path);
  ASSERT_NE(file, 0);
  EXPECT_TRUE(path_exists(path));
  EXPECT_EQ(file_eof(file), 1);
  file_close(file);

  file = open_with("abc");
  EXPECT_EQ(file_read_byte(file), 'a');
  file_close(file);
  EXPECT_EQ(read_file(path), "abc");
}

TEST_F(File, ValueReadsAreLittleEndianWidenedWithTheirSignAndZeroPastTheEnd) {
  ObjectNumber file = open_with(std::string("\x80\x34\x12\xFF\xFF\xFE\xFF\xFF\xFF\x7F\x42", 11));
  EXPECT_EQ(file_read_byte(file), -128);
  EXPECT_EQ(file_read_word(file), 0x1234);
  EXPECT_EQ(file_read_word(file), -1);
  EXPECT_EQ(file_read_long(file), -2);
  EXPECT_EQ(file_read_word(file), 0x427F);
  EXPECT_EQ(file_read_byte(file), 0);
  EXPECT_EQ(file_eof(file), 1);
  file_close(file);

  file = open_with("\x05");
  EXPECT_EQ(file_read_word(file), 5);  // the one byte left is the low byte
}

TEST_F(File, DirectionChangesKeepThePositionTheProgramSees) {
  ObjectNumber file = open_with(pattern_bytes(10000));
  EXPECT_EQ(file_read_byte(file), 0);
  EXPECT_EQ(file_read_byte(file), 1);
  // The buffer has read ahead; the write lands behind the two bytes delivered.
  EXPECT_EQ(file_write_data(file, "AB", 2), 2u);
  // And a read after the write continues behind the written bytes.
  EXPECT_EQ(file_read_byte(file), 4);
  EXPECT_EQ(file_write_word(file, 0x5958), 2);
  EXPECT_EQ(file_close(file), 1);
  std::string expected = pattern_bytes(10000);
  expected.replace(2, 2, "AB");
  expected.replace(5, 2, "XY");
  EXPECT_EQ(read_file(path), expected);
}

TEST_F(File, EofBetweenReadsDeliversNothingAndMovesNothing) {
  std::string bytes = pattern_bytes(FILE_BUFFER_SIZE + 1, 3);
  ObjectNumber file = open_with(bytes);
  unsigned char block[FILE_BUFFER_SIZE];
  ASSERT_EQ(file_read_data(file, block, 10), 10u);
  EXPECT_EQ(file_eof(file), 0);
  EXPECT_EQ(file_read_byte(file), 13);
  ASSERT_EQ(file_read_data(file, block, FILE_BUFFER_SIZE - 11), static_cast<std::size_t>(FILE_BUFFER_SIZE - 11));
  EXPECT_EQ(file_eof(file), 0);  // the buffer is used up: this refills it
  EXPECT_EQ(file_read_byte(file), static_cast<int>(static_cast<signed char>(bytes.back())));
  EXPECT_EQ(file_eof(file), 1);
}

TEST_F(File, TransfersLargerThanTheBufferArriveWhole) {
  std::string bytes = pattern_bytes(10000, 1);
  ObjectNumber file = open_with(bytes);
  std::string got(10000, '\0');
  EXPECT_EQ(file_read_byte(file), 1);
  EXPECT_EQ(file_read_data(file, &got[0], 10000), 9999u);
  EXPECT_EQ(got.substr(0, 9999), bytes.substr(1));
  file_close(file);

  file = file_create(OBJECT_NUMBER_ANY, path);
  EXPECT_EQ(file_write_word(file, 7), 2);
  EXPECT_EQ(file_write_data(file, bytes.data(), bytes.size()), bytes.size());
  EXPECT_EQ(file_write_data(file, "z", 1), 1u);
  EXPECT_EQ(file_close(file), 1);
  EXPECT_EQ(read_file(path), std::string("\x07\x00", 2) + bytes + "z");
}

TEST_F(File, SkipPassesOverBytesAndStopsAtTheEnd) {
  std::string bytes = pattern_bytes(20000, 0);
  ObjectNumber file = open_with(bytes);
  EXPECT_EQ(file_skip(file, 3), 3u);         // within the buffer
  EXPECT_EQ(file_read_byte(file), 3);
  EXPECT_EQ(file_skip(file, 5000), 5000u);   // past the buffer: a seek
  EXPECT_EQ(file_read_byte(file), static_cast<signed char>(bytes[5004]));
  EXPECT_EQ(file_skip(file, 4090), 4090u);   // just past the buffer: a refill
  EXPECT_EQ(file_read_byte(file), static_cast<signed char>(bytes[9095]));
  EXPECT_EQ(file_skip(file, 1u << 20), 20000u - 9096u);
  EXPECT_EQ(file_eof(file), 1);
  EXPECT_EQ(file_skip(file, 1), 0u);
}

TEST_F(File, StaticNumberGivesTheStreamAndReusingItClosesTheOldFileFirst) {
  ObjectNumber stream = file_create(20, path);
  ASSERT_NE(stream, 0);
  EXPECT_NE(stream, 20);
  EXPECT_EQ(file_write_data(20, "pending", 7), 7u);
  std::string other = directory.file("other.bin");
  ASSERT_NE(file_create(20, other), 0);
  EXPECT_EQ(read_file(path), "pending");  // written out when the number was reused
  EXPECT_EQ(file_write_data(20, "x", 1), 1u);
  file_close_all();
  EXPECT_EQ(read_file(other), "x");
  EXPECT_EQ(file_read_byte(20), 0);
  EXPECT_EQ(file_close(20), 0);
}

// Which paths the read-only open refuses is seen through the conversion
// (tzx_file_safety_test); here, what writing to such a file reports.
TEST_F(File, FailedWritesShowInTheCountsAndAtTheClose) {
  write_file(path, "ro");
  ObjectNumber file = file_open_read(OBJECT_NUMBER_ANY, path);
  ASSERT_NE(file, 0);
  EXPECT_EQ(file_read_word(file), 0x6F72);
  EXPECT_EQ(file_write_data(file, "w", 1), 1u);  // taken into the buffer...
  EXPECT_EQ(file_close(file), 0);                // ...and reported at the close
  EXPECT_EQ(read_file(path), "ro");

  file = file_open_read(OBJECT_NUMBER_ANY, path);
  std::string block(FILE_BUFFER_SIZE, 'b');
  EXPECT_EQ(file_write_data(file, block.data(), block.size()), 0u);
  EXPECT_EQ(file_write_data(file, "w", 1), 0u);  // nothing more after a failure
  EXPECT_EQ(file_close(file), 0);
}

TEST_F(File, OutputOpenKeepsExistingDataAndCreatesMissingFiles) {
  write_file(path, "data");
  ObjectNumber file = file_open_output(OBJECT_NUMBER_ANY, path);
  ASSERT_NE(file, 0);
  EXPECT_EQ(file_length(file), 4);
  file_close(file);
  EXPECT_EQ(read_file(path), "data");

  std::string fresh = directory.file("fresh.bin");
  file = file_open_output(OBJECT_NUMBER_ANY, fresh);
  ASSERT_NE(file, 0);
  EXPECT_EQ(file_length(file), 0);
  file_close(file);
  EXPECT_TRUE(path_exists(fresh));
}

TEST(FileNames, SizeTellsMissingPathsAndDirectoriesApart) {
  ScratchDirectory directory;
  EXPECT_EQ(file_size(directory.path()), -2);
  EXPECT_EQ(file_size(directory.file("missing")), -1);
  write_file(directory.file("empty"), "");
  EXPECT_EQ(file_size(directory.file("empty")), 0);
  write_file(directory.file("five"), "12345");
  EXPECT_EQ(file_size(directory.file("five")), 5);
}

TEST(FileNames, ExtensionIsTheTextAfterTheLastDotOfTheLastComponent) {
  EXPECT_EQ(path_extension("a.tzx"), "tzx");
  EXPECT_EQ(path_extension("dir.d/name"), "");
  EXPECT_EQ(path_extension("name"), "");
  EXPECT_EQ(path_extension(".profile"), "profile");
  EXPECT_EQ(path_extension("a.b.c"), "c");
  EXPECT_EQ(path_extension("name.tzx\"x"), "tzx");
  EXPECT_EQ(path_extension("name."), "");
}

TEST(FileNames, CurrentDirectoryEndsInASlashAndTheRootStaysOne) {
  std::string start = current_directory();
  ASSERT_FALSE(start.empty());
  EXPECT_EQ(start.back(), '/');
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(current_directory(), "/");
  ASSERT_EQ(chdir(start.c_str()), 0);
}

}  // namespace
