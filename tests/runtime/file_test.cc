// SPDX-License-Identifier: GPL-3.0-or-later
// The buffered numbered files: positions, value reads; questions about named files.
#include "runtime/file.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

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
  using Read = int (*)(ObjectNumber);
  const Read byte = file_read_byte, word = file_read_word, dword = file_read_long;
  // Each file's reads in order; the bytes left at the end are the low bytes.
  for (const auto& [bytes, reads] : std::vector<std::pair<std::string, std::vector<std::pair<Read, int>>>>{
           {std::string("\x80\x34\x12\xFF\xFF\xFE\xFF\xFF\xFF\x7F\x42", 11),
            {{byte, -128}, {word, 0x1234}, {word, -1}, {dword, -2}, {word, 0x427F}, {byte, 0}}},
           {"\x05", {{word, 5}}}, {"\x78\x56\x34\x12", {{dword, 0x12345678}}},
           {"\x05\x06", {{dword, 0x0605}, {dword, 0}}}}) {
    ObjectNumber file = open_with(bytes);
    for (auto [read, value] : reads) EXPECT_EQ(read(file), value) << bytes.size();
  }
  ObjectNumber file = open_with("");
  EXPECT_EQ(file_write_word(file, 0x12345), 2);  // the low 16 bits
  EXPECT_EQ(file_close(file), 1);
  EXPECT_EQ(read_file(path), "\x45\x23");
}

TEST_F(File, PositionsAcrossDirectionChangesTheBufferBoundaryAndTheEnd) {
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

  // Writes that end on, cross and exceed the buffer's last byte land in order.
  bytes = pattern_bytes(3 * FILE_BUFFER_SIZE + 7, 5);
  file = open_with("");
  std::size_t at = 0;
  for (std::size_t piece : {FILE_BUFFER_SIZE - 96u, 200u, FILE_BUFFER_SIZE - 104u, 1u, FILE_BUFFER_SIZE + 6u}) {
    ASSERT_EQ(file_write_data(file, bytes.data() + at, piece), piece);
    at += piece;
  }
  EXPECT_EQ(file_close(file), 1);
  EXPECT_EQ(read_file(path), bytes);

  // The end is where the bytes delivered end, not where the stream is.
  file = open_with("abc");
  EXPECT_EQ(file_read_byte(file), 'a');  // the stream has given all three
  EXPECT_EQ(file_eof(file), 0);
  EXPECT_EQ(file_skip(file, 5), 2u);
  EXPECT_EQ(file_eof(file), 1);
  bytes = pattern_bytes(3 * FILE_BUFFER_SIZE);
  file = open_with(bytes);  // from the very start, past the buffer, and on to the end
  EXPECT_EQ(file_skip(file, 2 * FILE_BUFFER_SIZE), 2u * FILE_BUFFER_SIZE);
  EXPECT_EQ(file_read_byte(file), static_cast<signed char>(bytes[2 * FILE_BUFFER_SIZE]));
  EXPECT_EQ(file_skip(file, 10 * FILE_BUFFER_SIZE), FILE_BUFFER_SIZE - 1u);
  file = open_with(bytes);
  ASSERT_EQ(file_read_data(file, block, FILE_BUFFER_SIZE), static_cast<std::size_t>(FILE_BUFFER_SIZE));
  ASSERT_EQ(truncate(path.c_str(), 100), 0);  // now behind the read position
  EXPECT_EQ(file_skip(file, 2 * FILE_BUFFER_SIZE), 0u);
  EXPECT_EQ(file_length(file), 100);
}

// Bytes taken into the buffer count as accepted, and their failure (here past
// RLIMIT_FSIZE, as on a full disk) shows at the flush; a write that failed
// makes every later one accept nothing, and the flush and the close report it.
TEST_F(File, AFailedWriteIsKeptUntilTheClose) {
  ObjectNumber file = file_create(OBJECT_NUMBER_ANY, path);
  FileSizeLimit limit(100);
  std::string bytes = pattern_bytes(2 * FILE_BUFFER_SIZE);
  EXPECT_EQ(file_write_data(file, bytes.data(), 150), 150u);  // into the buffer: accepted
  EXPECT_EQ(file_flush(file), 0);
  file = file_create(OBJECT_NUMBER_ANY, path);
  EXPECT_LT(file_write_data(file, bytes.data(), bytes.size()), bytes.size());
  EXPECT_EQ(file_write_data(file, "ab", 2), 0u);
  EXPECT_EQ(file_flush(file), 0);
  EXPECT_EQ(file_close(file), 0);
}

// A number never given, or freed, or taken over by an open that failed, or
// ended by shut-down, has no file.
TEST_F(File, ANumberWithoutAFileDoesNothing) {
  file_layer_init();
  ObjectNumber freed = open_with("abc");
  ASSERT_EQ(file_close(freed), 1);
  ASSERT_NE(file_open_read(3, path), 0);
  EXPECT_EQ(file_length(3), 3);
  EXPECT_EQ(file_open_read(3, directory.file("missing")), 0);
  EXPECT_EQ(file_length(3), -1);  // before shut-down: the open that failed ended it
  ObjectNumber ended = file_open_read(OBJECT_NUMBER_ANY, path);
  file_close_all();
  char byte = 'x';
  for (ObjectNumber n : {ObjectNumber{7}, freed, ObjectNumber{3}, ended}) {
    std::vector<std::int64_t> got = {file_eof(n), std::int64_t(file_read_data(n, &byte, 1)),
        std::int64_t(file_write_data(n, &byte, 1)), std::int64_t(file_skip(n, 1)), file_read_long(n),
        file_write_word(n, 1), file_length(n), file_flush(n), file_close(n)};
    EXPECT_EQ(got, (std::vector<std::int64_t>{0, 0, 0, 0, 0, 0, -1, 0, 0})) << n;
  }
  ObjectNumber file = open_with("abc");
  EXPECT_EQ(file_write_data(file, &byte, 0), 0u);
  EXPECT_EQ(file_read_data(file, &byte, 0), 0u);
  EXPECT_EQ(byte, 'x');
}

// Each open leaves only its own descriptor, whatever errno held before (a
// failed stat sets ENOENT), also descriptor 0 where standard input is closed;
// a new file gets the mode the umask leaves.
TEST_F(File, EachOpenTakesOneDescriptorDescriptorZeroToo) {
  using std::filesystem::directory_iterator;
  auto descriptors = [] { return std::distance(directory_iterator("/proc/self/fd"), directory_iterator()); };
  write_file(path, "abc");
  const auto before = descriptors();
  int saved = dup(STDIN_FILENO);
  for (bool zero : {false, true}) {
    for (auto opener : {file_open, file_open_read, file_create}) {
      if (zero) close(STDIN_FILENO);
      errno = ENOENT;
      ObjectNumber file = opener(OBJECT_NUMBER_ANY, path);
      EXPECT_EQ(file_length(file), opener == file_create ? 0 : 3);
      EXPECT_EQ(descriptors(), before + (zero ? 1 : 2));  // with the copy of standard input
      EXPECT_EQ(file_close(file), 1);
      write_file(path, "abc");
    }
  }
  close(STDIN_FILENO);  // a new file on descriptor 0 too
  mode_t mask = umask(022);
  ObjectNumber created = file_open(OBJECT_NUMBER_ANY, directory.file("new"));
  umask(mask);
  EXPECT_EQ(file_length(created), 0);
  EXPECT_EQ(file_close(created), 1);
  dup2(saved, STDIN_FILENO);
  close(saved);
  EXPECT_EQ(descriptors(), before);
  EXPECT_EQ(std::filesystem::status(directory.file("new")).permissions(), std::filesystem::perms(0644));
}

// A device or FIFO named as a tape is refused without being opened at all:
// opening some devices acts on them. inotify sees every open of the FIFO.
TEST_F(File, AReadOnlyOpenRefusesWhatIsNoRegularFileWithoutOpeningIt) {
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(inotify_add_watch(watch, path.c_str(), IN_OPEN), 0);
  EXPECT_EQ(file_open_read(OBJECT_NUMBER_ANY, path), 0);
  char events[4096];
  EXPECT_LT(read(watch, events, sizeof events), 0) << "the FIFO was opened";
  close(watch);
  EXPECT_EQ(file_size(directory.file("missing")), -1);
  EXPECT_EQ(file_size(directory.path()), -2);
  write_file(path = directory.file("tape.tzx"), "");
  EXPECT_EQ(file_size(path), 0);
  EXPECT_NE(file_open_read(OBJECT_NUMBER_ANY, path), 0);
}

TEST_F(File, ExtensionsAndTheCurrentDirectoryAtTheLongestPath) {
  for (auto [name, extension] : {std::pair{"a.tzx", "tzx"}, {"dir.d/name", ""}, {"name", ""}, {".profile", "profile"},
                                 {"a.b.c", "c"}, {"name.tzx\"x", "tzx"}, {"name.", ""}}) {
    EXPECT_EQ(path_extension(name), extension) << name;
  }
  // As long as a path can be (4095 bytes), and one longer.
  std::string start = current_directory(), deep = directory.path();
  deep.pop_back();
  ASSERT_EQ(chdir(deep.c_str()), 0);
  while (deep.size() < 4095) {
    std::size_t room = 4095 - deep.size() - 1;  // the longest name that ends the path here
    std::string name(room <= 200 ? room : room == 201 ? 100 : 200, 'd');
    ASSERT_TRUE(mkdir(name.c_str(), 0755) == 0 && chdir(name.c_str()) == 0);
    deep += "/" + name;
  }
  EXPECT_EQ(current_directory(), deep + "/");
  ASSERT_TRUE(mkdir("e", 0755) == 0 && chdir("e") == 0);
  EXPECT_EQ(current_directory(), "");
  ASSERT_TRUE(chdir("..") == 0 && rmdir("e") == 0);  // the rest is short enough to be removed by name
  ASSERT_EQ(chdir(start.c_str()), 0);
}

}  // namespace
