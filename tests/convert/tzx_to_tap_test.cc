// SPDX-License-Identifier: GPL-3.0-or-later
// convert_tzx_to_tap: the TAP bytes and lines logged, and which files it may touch.
#include "convert/tzx_to_tap.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

namespace {

using Lines = std::vector<std::string>;

const char SIZE[] = "size over 65535 bytes cannot be saved in TAP";
const char CUT[] = "the TZX file ends inside a block";

// The TAP file must hold `tap`; each message is logged after "<tap path>: ".
struct Tape { std::string what, tzx, tap; std::vector<std::string> messages; };

std::vector<Tape> tapes() {
  std::string a = pattern_bytes(19, 1), b = pattern_bytes(6914, 2), c = pattern_bytes(300, 3);
  std::string d = pattern_bytes(63000, 4), big = pattern_bytes(65536, 5), max = big.substr(0, 65535);
  std::string huge = pattern_bytes(0x800001, 9);  // the top bit of the third length byte set
  std::vector<Tape> tapes = {
      {"header only", tzx(""), "", {}},
      // The signature and its marker are 8 bytes; the version bytes may be missing.
      {"signature without version bytes", std::string("ZXTape!\x1A", 8), "", {}},
      {"signature and one version byte", std::string("ZXTape!\x1A\x01", 9), "", {}},
      {"header and a block without body", tzx("\x22"), "", {}},
      {"header and a data block's id", tzx("\x10"), "", {CUT}},
      {"data blocks in order, a description between left out",
       tzx(standard_block(a) + "\x30\x05hello" + pure_block(c) + pure_block(b) + standard_block("")),
       tap_record(a) + tap_record(c) + tap_record(b) + tap_record(""), {}},
      {"data over 65535 bytes is cut, the next block read from its start",
       tzx(pure_block(big) + standard_block(a) + pure_block(huge) + standard_block(a)),
       tap_record(max) + tap_record(a) + tap_record(huge.substr(0, 65535)) + tap_record(a), {SIZE, SIZE}},
      {"cut short: a record of the bytes present, over two 64 KB writes", tzx(standard_block(d) + pure_block(b, 10000)),
       tap_record(d) + tap_record(b), {CUT}},
      {"oversized and cut short", tzx(pure_block(big + a, 100000)), tap_record(max), {SIZE, CUT}},
  };
  // A refused block ends the conversion; the records before it stay.
  for (std::string hex : {"12", "13", "15", "16", "17", "18", "19", "1A", "1B", "1C", "1D", "1E", "1F"}) {
    char id = static_cast<char>(std::stoi(hex, nullptr, 16));
    tapes.push_back({"refused " + hex, tzx(standard_block(a) + standard_block(c) + id + standard_block(a)),
                     tap_record(a) + tap_record(c), {"Unsupported block found ($" + hex + ")"}});
  }
  // Ends in fixed fields, in a length field, in a body read over, in a long body.
  for (const std::string& tail : {"\x11" + le(2168, 2) + le(667, 2), std::string("\x10\xE8\x03\x13"),
                                   std::string("\x30\x09") + "abc", "\x2A" + le(5000, 4) + "x"}) {
    tapes.push_back({"ends inside " + std::to_string(tail[0]), tzx(standard_block(a) + tail), tap_record(a), {CUT}});
  }
  // Every block that is read over, by its own layout, with bodies of 0x12, a
  // refused id: stopping short of the body's end meets it, going past it
  // loses the record that follows. Counts have a high byte, so that a field
  // read too narrow is seen; 70000 bytes pass the largest TAP record.
  auto fill = [](std::size_t n) { return std::string(n, '\x12'); };
  for (const std::string& block :
       {"\x20" + fill(2), "\x21\x03" + fill(3), std::string("\x22"), "\x23" + fill(2), "\x24" + fill(2),
        std::string("\x25"), "\x26" + le(0x103, 2) + fill(0x206), std::string("\x27"),
        "\x28" + le(0x105, 2) + fill(0x105), "\x2A" + le(0, 4), "\x2A" + le(3, 4) + fill(3),
        "\x2B" + le(1, 4) + fill(1), "\x30\x09" + fill(9), "\x31\x05\x03" + fill(3),
        "\x32" + le(0x107, 2) + fill(0x107), "\x33\x02" + fill(6), "\x34" + fill(8),
        "\x35" + fill(16) + le(70000, 4) + fill(70000), "\x40\x01" + le(70000, 3) + fill(70000),
        "\x5A" + fill(9), "\x4B" + le(70000, 4) + fill(70000), std::string(1, '\0') + le(5, 4) + fill(5),
        "\xFF" + le(0x102, 4) + fill(0x102)}) {
    tapes.push_back({"skip " + std::to_string(block[0] & 0xFF), tzx(block + standard_block(a)), tap_record(a), {}});
  }
  // Length fields of every width at their largest, and with only their top
  // byte beyond the bytes there: the block runs past the end, so the block
  // after its first bytes is not one.
  for (const std::string& block :
       {std::string("\x21\xFF"), "\x26" + le(0xFFFF, 2), "\x28" + le(0xFFFF, 2), "\x32" + le(0xFFFF, 2),
        "\x40\x01" + le(0xFFFFFF, 3), "\x40\x01" + le(0x10000, 3), "\x2A" + le(0xFFFFFFFF, 4),
        "\x2B" + le(0x1000000, 4), "\x35" + fill(16) + le(0x1000000, 4), "\x4B" + le(0xFFFFFFFF, 4),
        "\x4B" + le(0x1000000, 4)}) {
    tapes.push_back({"past the end " + std::to_string(block[0] & 0xFF),
                     tzx(standard_block(a) + block + standard_block(a)), tap_record(a), {CUT}});
  }
  // Data blocks: the largest length of each width over the bytes there keeps
  // those bytes; the turbo block holds 65535 bytes without a message. What is
  // left of the file counts the bytes read over too.
  auto turbo = [](std::uint64_t length, const std::string& data) {
    return "\x11" + le(2168, 2) + le(667, 2) + le(735, 2) + le(855, 2) + le(1710, 2) + le(3223, 2) + "\x08" +
           le(1000, 2) + le(length, 3) + data;
  };
  tapes.insert(tapes.end(), {
      {"standard 0xFFFF past the end", tzx(standard_block(a) + "\x10" + le(1000, 2) + le(0xFFFF, 2) + c),
       tap_record(a) + tap_record(c), {CUT}},
      {"turbo 0xFFFFFF past the end", tzx(turbo(0xFFFFFF, c)), tap_record(c), {SIZE, CUT}},
      {"pure 0xFFFFFF past the end", tzx(pure_block(c, 0xFFFFFF)), tap_record(c), {SIZE, CUT}},
      {"turbo 65535 and 65536", tzx(turbo(65535, max) + turbo(65536, big) + standard_block(a)),
       tap_record(max) + tap_record(max) + tap_record(a), {SIZE}},
      {"standard 65535", tzx(standard_block(max) + standard_block(a)), tap_record(max) + tap_record(a), {}},
      {"cut short after a body read over", tzx(standard_block(a) + "\x30\x05hello" + pure_block(b, 10000)),
       tap_record(a) + tap_record(b), {CUT}},
      {"cut short after data passed over", tzx(pure_block(big) + pure_block(b, 10000)),
       tap_record(max) + tap_record(b), {SIZE, CUT}}});
  return tapes;
}

class TzxToTap : public ::testing::Test {
 protected:
  // Whether a TAP file was written; keeps the lines logged. `meanwhile` runs
  // at the first line, in the middle of the conversion.
  bool convert(const std::function<void()>& meanwhile = nullptr) {
    lines.clear();
    bool written = convert_tzx_to_tap(tzx_path, [&](const std::string& line) {
      if (lines.empty() && meanwhile) meanwhile();
      lines.push_back(line);
    });
    // Whatever the outcome, no file of the conversion's own stays beside them.
    for (const auto& entry : std::filesystem::directory_iterator(directory.path())) {
      std::string name = entry.path().filename();
      EXPECT_NE(name[0], '.') << name;
    }
    return written;
  }
  // Converts, wanting no result, only the message, and no file created or removed.
  void expect_failure(const std::string& what, const char* message) {
    SCOPED_TRACE(what);
    bool had_tzx = path_exists(tzx_path), had_tap = path_exists(tap_path);
    EXPECT_FALSE(convert());
    EXPECT_EQ(lines, Lines{tap_path + ": " + message});
    EXPECT_EQ(path_exists(tzx_path), had_tzx);
    EXPECT_EQ(path_exists(tap_path), had_tap);
  }

  ScratchDirectory directory;
  std::string tzx_path = directory.file("tape.tzx"), tap_path = directory.file("tape.tap");
  std::string data = pattern_bytes(19), tape = tzx(standard_block(data));
  Lines lines;
};

// A new TAP file is made for reading and writing by all, as far as the umask lets.
TEST_F(TzxToTap, EachTapeGivesItsRecordsAndMessages) {
  const mode_t mask = umask(022);
  for (const Tape& row : tapes()) {
    SCOPED_TRACE(row.what);
    std::remove(tap_path.c_str());
    Lines expected;
    for (const std::string& message : row.messages) expected.push_back(tap_path + ": " + message);
    write_file(tzx_path, row.tzx);
    EXPECT_TRUE(convert());
    EXPECT_EQ(lines, expected);
    std::string tap = read_file(tap_path);
    EXPECT_TRUE(path_exists(tap_path) && tap == row.tap) << "a TAP file of " << tap.size() << " bytes";
    EXPECT_EQ(std::filesystem::status(tap_path).permissions(), std::filesystem::perms(0644));
  }
  umask(mask);
}

TEST_F(TzxToTap, BadInputAndATapFileThatCannotBeCreatedOrWrittenAreReportedAndLeaveNothing) {
  expect_failure("missing", "cannot open the TZX file");  // a FIFO or directory: fault_test.sh
  for (const std::string& bytes : {std::string(), std::string("ZXTape!"), "ZXtape!\x1A\x01\x14" + standard_block(data),
                                   "ZXTape!\x1B\x01\x14" + standard_block(data)}) {
    write_file(tzx_path, bytes);
    expect_failure(bytes.substr(0, 8), "not a TZX file");
  }
  write_file(tzx_path, tape);
  // A directory, a dangling link, a link to an empty file: a link is never
  // written through, nor replaced.
  std::string target = directory.file("elsewhere.tap");
  for (int kind : {0, 1, 2}) {
    ASSERT_EQ(kind == 0 ? mkdir(tap_path.c_str(), 0755) : symlink(target.c_str(), tap_path.c_str()), 0);
    if (kind == 2) write_file(target, "");
    expect_failure("kind " + std::to_string(kind), "cannot create the TAP file");
    EXPECT_EQ(path_exists(target) ? read_file(target) : "none", kind == 2 ? "" : "none");
    std::filesystem::remove(tap_path);
  }
  // Writing past RLIMIT_FSIZE fails as on a full disk: for a short tape only
  // when the last records go out, for a long one while they are still coming,
  // and then no further block is read (the refused one would say so).
  for (auto [size, tail] : {std::pair<std::size_t, std::string>{300, ""}, {65535, "\x12"}}) {
    write_file(tzx_path, tzx(standard_block(pattern_bytes(size)) + standard_block(data) + tail));
    FileSizeLimit limit(100);
    expect_failure(std::to_string(size) + "-byte record", "cannot write the TAP file");
  }
}

TEST_F(TzxToTap, OnlyAMissingOrEmptyTapFileIsWrittenAndTheInputIsOnlyRead) {
  // One byte is data enough: the smallest TAP file that holds data is kept.
  write_file(tap_path, "k");
  for (const std::string& input : {std::string(), std::string("not a tape"), tape}) {
    if (!input.empty()) write_file(tzx_path, input);
    EXPECT_FALSE(convert());
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(read_file(tap_path), "k");
  }
  write_file(tap_path, "");
  chmod(tap_path.c_str(), 0640);
  chmod(tzx_path.c_str(), 0444);
  EXPECT_TRUE(convert());
  EXPECT_EQ(read_file(tap_path), tap_record(data));
  EXPECT_EQ(read_file(tzx_path), tape);
  // The file it replaced was given that mode.
  EXPECT_EQ(std::filesystem::status(tap_path).permissions(), std::filesystem::perms(0640));
}

// The TAP file takes its name only once complete, and never from a file that
// came meanwhile: a new one (even an empty one, had it not been there at the
// start), data written into the empty one, or another file put in the empty
// one's place. The message of a block over 65535 bytes is the moment to do it.
TEST_F(TzxToTap, AFileThatCameWhileConvertingStaysAsItIs) {
  write_file(tzx_path, tzx(pure_block(pattern_bytes(65536)) + standard_block(data)));
  std::string other = directory.file("other");
  for (auto [empty_at_start, theirs, moved] : {std::tuple{false, "theirs", false}, {false, "", false},
                                               {true, "data", false}, {true, "", true}}) {
    std::remove(tap_path.c_str());
    if (empty_at_start) write_file(tap_path, "");
    EXPECT_FALSE(convert([&, theirs = std::string(theirs), moved = moved] {
      EXPECT_FALSE(path_exists(tap_path) && read_file(tap_path) != "") << "a TAP file before it is complete";
      write_file(moved ? other : tap_path, theirs);
      if (moved) std::rename(other.c_str(), tap_path.c_str());
    }));
    EXPECT_TRUE(path_exists(tap_path));
    EXPECT_EQ(read_file(tap_path), theirs);
  }
}

// A TZX file that shrinks while it is read delivers fewer bytes than its size
// promised: no TAP file with a record shorter than its length is left. The
// directory removed meanwhile: the TAP file cannot get its name there, and
// that is a write that failed.
TEST_F(TzxToTap, ATzxFileThatShrinksOrADirectoryRemovedWhileConvertingIsReported) {
  std::string folder = directory.make_directory("sub");
  for (bool shrinks : {true, false}) {
    tzx_path = folder + "tape.tzx", tap_path = folder + "tape.tap";
    write_file(tzx_path, tzx(pure_block(pattern_bytes(70000)) + standard_block(data)));
    EXPECT_FALSE(convert([&] {
      shrinks ? (void)truncate(tzx_path.c_str(), 5000) : (void)std::filesystem::remove_all(folder);
    }));
    EXPECT_EQ(lines, (Lines{tap_path + ": " + SIZE,
                            tap_path + (shrinks ? ": cannot read the TZX file" : ": cannot write the TAP file")}));
    EXPECT_FALSE(path_exists(tap_path));
  }
}

}  // namespace
