// convert_tzx_to_tap: what the TAP file holds and which lines are logged,
// tape by tape; and which files a conversion may touch: the input is only
// read, an input that gives no tape leaves nothing behind, a TAP file with data
// is never touched, and an incomplete TAP file does not stay.
#include "convert/tzx_to_tap.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

// Data that lands in this TAP file right after the converter has looked at
// it: the converter's look goes through this stat, which lets the data in.
static std::string late_tap_path;

extern "C" int stat(const char* path, struct stat* status) noexcept {
  int result = fstatat(AT_FDCWD, path, status, 0);
  if (!late_tap_path.empty() && late_tap_path == path) {
    write_file(late_tap_path, "late");
    late_tap_path.clear();
  }
  return result;
}

namespace {

using ::testing::ElementsAre;

const char SIZE[] = "size over 65535 bytes cannot be saved in TAP";
const char CUT[] = "the TZX file ends inside a block";

struct Tape {
  std::string what;
  std::string tzx;                    // the whole file
  std::string tap;                    // what the TAP file must hold
  std::vector<std::string> messages;  // each logged after "<tap path>: "
};

std::vector<Tape> tapes() {
  std::string a = pattern_bytes(19, 1), b = pattern_bytes(6914, 2), c = pattern_bytes(300, 3);
  std::string d = pattern_bytes(63000, 4), e = pattern_bytes(65533, 6);  // 2 + 65533: one byte short of 64 KB
  std::string big = pattern_bytes(65536, 5), max = big.substr(0, 65535), huge = pattern_bytes(0x800001, 9);
  std::vector<Tape> tapes = {
      {"header only", tzx(""), "", {}},
      {"signature without version bytes", std::string("ZXTape!\x1A", 8), "", {}},
      {"19 data bytes", tzx(std::string("\x10\xE8\x03\x13\x00", 5) + a), std::string("\x13\x00", 2) + a, {}},
      {"data blocks in order, descriptions between left out",
       tzx(standard_block(a) + "\x30\x05hello" + standard_block(b) + "\x32" + le(3, 2) + "xyz" + turbo_block(c) +
           "\x33\x01" + std::string(3, '\x12') + pure_block(b) + standard_block("")),
       tap_record(a) + tap_record(b) + tap_record(c) + tap_record(b) + tap_record(""), {}},
      {"data over 65535 bytes is cut, the next block read from its start",
       tzx(turbo_block(big) + standard_block(a) + pure_block(max) + pure_block(big + big) + standard_block(a)),
       tap_record(max) + tap_record(a) + tap_record(max) + tap_record(max) + tap_record(a), {SIZE, SIZE}},
      {"top bit of the third length byte", tzx(pure_block(huge) + standard_block(a)),
       tap_record(huge.substr(0, 65535)) + tap_record(a), {SIZE}},
      {"cut short: a record of the bytes present, over two 64 KB writes", tzx(standard_block(d) + pure_block(b, 10000)),
       tap_record(d) + tap_record(b), {CUT}},
      {"record length split over two 64 KB writes", tzx(pure_block(e) + standard_block(c)),
       tap_record(e) + tap_record(c), {}},
      {"oversized and cut short", tzx(turbo_block(big + a, 100000)), tap_record(max), {SIZE, CUT}},
  };
  // A refused block ends the conversion; the records before it stay.
  for (const char* hex : {"12", "13", "15", "16", "17", "18", "19", "1A", "1B", "1C", "1D", "1E", "1F"}) {
    std::string id(1, static_cast<char>(std::stoi(hex, nullptr, 16)));
    tapes.push_back({"refused " + std::string(hex), tzx(standard_block(a) + standard_block(c) + id + standard_block(a)),
                     tap_record(a) + tap_record(c), {"Unsupported block found ($" + std::string(hex) + ")"}});
  }
  // Ends in fixed fields, in a length field, in a body read over, in a long body.
  for (const std::string& tail : {"\x11" + le(2168, 2) + le(667, 2), std::string("\x10\xE8\x03\x13"),
                                   std::string("\x30\x09") + "abc", "\x2A" + le(5000, 4) + "x"}) {
    tapes.push_back({"ends inside " + std::to_string(tail[0]), tzx(standard_block(a) + tail), tap_record(a), {CUT}});
  }
  // Bodies filled with 0x12: reading on byte by byte instead of by the layout
  // would meet a refused id or lose the record that follows.
  auto fill = [](std::size_t n) { return std::string(n, '\x12'); };
  for (const std::string& block :
       {"\x20" + fill(2), "\x21\x03" + fill(3), std::string("\x22"), "\x23" + fill(2), "\x24" + fill(2),
        std::string("\x25"), "\x26" + le(3, 2) + fill(6), std::string("\x27"), "\x28" + le(5, 2) + fill(5),
        "\x29" + le(4, 4) + fill(4), "\x2A" + le(0, 4), "\x2A" + le(3, 4) + fill(3), "\x2B" + le(1, 4) + fill(1),
        "\x30\x04" + fill(4), "\x31\x12\x02" + fill(2), "\x32" + le(7, 2) + fill(7), "\x33\x02" + fill(6),
        "\x34" + fill(8), "\x35" + fill(16) + le(9, 4) + fill(9), "\x40\x12" + le(10, 3) + fill(10),
        "\x5A" + fill(9), std::string(1, '\0') + le(2, 4) + fill(2), "\x4B" + le(12, 4) + fill(12),
        "\xFF" + le(1, 4) + fill(1)}) {
    tapes.push_back({"skip " + std::to_string(block[0] & 0xFF), tzx(block + standard_block(a)), tap_record(a), {}});
  }
  // Records around the sizes of the file and conversion buffers, many times over.
  Tape many{"records of every size", tzx(""), "", {}};
  for (int round = 0; round < 30; ++round) {
    for (std::size_t size : {300, 65535, 1, 4094, 4096, 65534, 70, 65533, 0, 9000}) {
      std::string data = pattern_bytes(size, round + static_cast<int>(size));
      many.tzx += pure_block(data);
      many.tap += tap_record(data);
    }
  }
  tapes.push_back(many);
  return tapes;
}

class TzxToTap : public ::testing::Test {
 protected:
  // Converts tape.tzx, keeping the lines logged; whether a TAP file was written.
  bool convert() {
    lines.clear();
    return convert_tzx_to_tap(tzx_path, [this](const std::string& line) { lines.push_back(line); });
  }
  // Converts, wanting no result, only the message, and no file created or removed.
  void expect_failure(const std::string& what, const char* message) {
    SCOPED_TRACE(what);
    bool had_tzx = path_exists(tzx_path), had_tap = path_exists(tap_path);
    alarm(20);  // a conversion that waits for a writer of a FIFO fails instead of hanging
    bool written = convert();
    alarm(0);
    EXPECT_FALSE(written);
    EXPECT_THAT(lines, ElementsAre(tap_path + ": " + message));
    EXPECT_EQ(path_exists(tzx_path), had_tzx);
    EXPECT_EQ(path_exists(tap_path), had_tap);
  }

  ScratchDirectory directory;
  std::string tzx_path = directory.file("tape.tzx"), tap_path = directory.file("tape.tap");
  std::string data = pattern_bytes(19), tape = tzx(standard_block(data));
  std::vector<std::string> lines;
};

TEST_F(TzxToTap, EachTapeGivesItsRecordsAndMessages) {
  for (const Tape& row : tapes()) {
    SCOPED_TRACE(row.what);
    std::remove(tap_path.c_str());
    std::vector<std::string> expected;
    for (const std::string& message : row.messages) expected.push_back(tap_path + ": " + message);
    write_file(tzx_path, row.tzx);
    EXPECT_TRUE(convert());
    EXPECT_EQ(lines, expected);
    ASSERT_TRUE(path_exists(tap_path));
    std::string tap = read_file(tap_path);
    auto wrong = std::mismatch(tap.begin(), tap.end(), row.tap.begin(), row.tap.end()).first - tap.begin();
    EXPECT_TRUE(tap == row.tap) << tap.size() << " bytes, the first wrong one at " << wrong;
  }
}

TEST_F(TzxToTap, InputThatGivesNoTapeIsReported) {
  expect_failure("missing", "cannot open the TZX file");
  ASSERT_EQ(mkdir(tzx_path.c_str(), 0755), 0);
  expect_failure("directory", "cannot open the TZX file");
  ASSERT_EQ(rmdir(tzx_path.c_str()), 0);
  ASSERT_EQ(mkfifo(tzx_path.c_str(), 0644), 0);
  expect_failure("FIFO", "cannot open the TZX file");
  std::remove(tzx_path.c_str());
  std::string blocks = standard_block(data);
  for (const std::string& bytes : {std::string(), std::string("ZXTape!"), "ZXtape!\x1A\x01\x14" + blocks,
                                   "ZXTape!\x1B\x01\x14" + blocks}) {
    write_file(tzx_path, bytes);
    expect_failure(bytes.substr(0, 8), "not a TZX file");
  }
  if (geteuid() == 0) return;  // permissions do not bind root
  write_file(tzx_path, tape);
  chmod(tzx_path.c_str(), 0200);
  expect_failure("unreadable", "cannot open the TZX file");
}

TEST_F(TzxToTap, TapFileThatCannotBeCreatedOrWrittenIsReportedAndDoesNotStay) {
  write_file(tzx_path, tape);
  ASSERT_EQ(mkdir(tap_path.c_str(), 0755), 0);
  expect_failure("directory", "cannot create the TAP file");
  ASSERT_EQ(rmdir(tap_path.c_str()), 0);
  std::string target = directory.file("elsewhere.tap");
  ASSERT_EQ(symlink(target.c_str(), tap_path.c_str()), 0);
  expect_failure("dangling link", "cannot create the TAP file");
  EXPECT_FALSE(path_exists(target));
  std::remove(tap_path.c_str());
  // Writing past RLIMIT_FSIZE fails as on a full disk: for a short tape only
  // when the last records go out, for a long one while they are still coming.
  // Through a link, the empty file it leads to is emptied again.
  struct rlimit saved, limit;
  getrlimit(RLIMIT_FSIZE, &saved);
  limit = {100, saved.rlim_max};
  signal(SIGXFSZ, SIG_IGN);
  for (std::size_t size : {300, 65535}) {
    write_file(tzx_path, tzx(standard_block(pattern_bytes(size)) + standard_block(data)));
    setrlimit(RLIMIT_FSIZE, &limit);
    expect_failure(std::to_string(size) + "-byte record", "cannot write the TAP file");
    setrlimit(RLIMIT_FSIZE, &saved);
  }
  write_file(target, "");
  ASSERT_EQ(symlink(target.c_str(), tap_path.c_str()), 0);
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_FALSE(convert());
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_THAT(lines, ElementsAre(tap_path + ": cannot write the TAP file"));
  EXPECT_EQ(read_file(target), "");
  EXPECT_TRUE(path_exists(target));
}

TEST_F(TzxToTap, OnlyAMissingOrEmptyTapFileIsWrittenAndTheInputIsOnlyRead) {
  write_file(tap_path, "keep");
  for (const std::string& input : {std::string(), std::string("not a tape"), tape}) {
    if (!input.empty()) write_file(tzx_path, input);
    EXPECT_FALSE(convert());
    EXPECT_THAT(lines, ElementsAre());
    EXPECT_EQ(read_file(tap_path), "keep");
  }
  std::remove(tap_path.c_str());
  late_tap_path = tap_path;  // the data arrives between the look and the creation
  EXPECT_FALSE(convert());
  ASSERT_EQ(late_tap_path, "") << "the converter did not look at the TAP file";
  EXPECT_EQ(read_file(tap_path), "late");

  write_file(tap_path, "");
  chmod(tzx_path.c_str(), 0444);
  EXPECT_TRUE(convert());
  EXPECT_EQ(read_file(tap_path), tap_record(data));
  EXPECT_EQ(read_file(tzx_path), tape);
  struct stat status;
  ASSERT_EQ(lstat(tzx_path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0444u);
}

}  // namespace
