// What the TAP file holds and which lines are logged, tape by tape: data
// blocks, blocks read over by their layout, refused and oversized blocks, and
// tapes that end inside a block.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

namespace {

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
      {"refused block ends the conversion",
       tzx(standard_block(a) + standard_block(c) + "\x12" + le(2168, 2) + le(3223, 2) + standard_block(a)),
       tap_record(a) + tap_record(c), {"Unsupported block found ($12)"}},
      {"data cut short keeps the bytes present", tzx(standard_block(a) + pure_block(b, 10000)),
       tap_record(a) + tap_record(b), {CUT}},
      {"cut short over two 64 KB writes", tzx(standard_block(d) + pure_block(b, 10000)),
       tap_record(d) + tap_record(b), {CUT}},
      {"record length split over two 64 KB writes", tzx(pure_block(e) + standard_block(c)),
       tap_record(e) + tap_record(c), {}},
      {"oversized and cut short", tzx(turbo_block(big + a, 100000)), tap_record(max), {SIZE, CUT}},
  };
  for (const char* hex : {"12", "13", "15", "16", "17", "18", "19", "1A", "1B", "1C", "1D", "1E", "1F"}) {
    std::string id(1, static_cast<char>(std::stoi(hex, nullptr, 16)));
    tapes.push_back({"refused " + std::string(hex), tzx(id + standard_block(a)), "",
                     {"Unsupported block found ($" + std::string(hex) + ")"}});
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
    tapes.push_back({"read over " + std::to_string(block[0] & 0xFF), tzx(block + standard_block(c)), tap_record(c), {}});
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

TEST(TzxToTap, EachTapeGivesItsRecordsAndMessages) {
  for (const Tape& tape : tapes()) {
    SCOPED_TRACE(tape.what);
    ScratchDirectory directory;
    std::string tap_path = directory.file("game.tap");
    std::vector<std::string> expected;
    for (const std::string& message : tape.messages) expected.push_back(tap_path + ": " + message);
    write_file(directory.file("game.tzx"), tape.tzx);
    ConversionRun run = run_conversion(directory.file("game.tzx"));
    EXPECT_TRUE(run.written);
    EXPECT_EQ(run.lines, expected);
    ASSERT_TRUE(path_exists(tap_path));
    std::string tap = read_file(tap_path);
    EXPECT_EQ(tap.size(), tape.tap.size());
    EXPECT_TRUE(tap == tape.tap) << "first difference at byte "
                                 << std::mismatch(tap.begin(), tap.end(), tape.tap.begin(), tape.tap.end()).first -
                                        tap.begin();
  }
}

}  // namespace
