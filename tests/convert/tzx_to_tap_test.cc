// What the TAP file holds and which lines are logged, for well-formed tapes,
// oversized blocks, refused blocks and the block layouts of the format.
#include "convert/tzx_to_tap.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "tests/support/conversion_run.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

using ::testing::ElementsAre;

namespace {

class TzxToTap : public ::testing::Test {
 protected:
  // Writes the tape as game.tzx, converts it and keeps what game.tap holds.
  ConversionRun convert(const TzxBuilder& tape) {
    write_file(tzx_path, tape.bytes());
    ConversionRun run = run_conversion(tzx_path);
    tap = read_file(tap_path);
    return run;
  }
  std::string line(const std::string& text) const { return tap_path + ": " + text; }

  ScratchDirectory directory;
  std::string tzx_path = directory.file("game.tzx");
  std::string tap_path = directory.file("game.tap");
  std::string tap;
};

const char SIZE_MESSAGE[] = "size over 65535 bytes cannot be saved in TAP";

TEST_F(TzxToTap, HeaderOnlyGivesAnEmptyTapFileAndNoMessage) {
  ConversionRun run = convert(TzxBuilder());
  EXPECT_TRUE(run.written);
  EXPECT_THAT(run.lines, ElementsAre());
  EXPECT_TRUE(path_exists(tap_path));
  EXPECT_EQ(tap, "");
}

TEST_F(TzxToTap, DataBlocksBecomeRecordsInOrderWithDescriptionsBetweenLeftOut) {
  std::string header = pattern_bytes(19, 1), screen = pattern_bytes(6914, 2);
  std::string turbo = pattern_bytes(300, 3), pure = pattern_bytes(5000, 4);
  TzxBuilder tape;
  tape.standard(header)
      .block(0x30, "\x05hello")
      .standard(screen)
      .block(0x32, le16(3) + "abc")
      .turbo(turbo)
      .block(0x33, std::string("\x02", 1) + std::string(6, '\x12'))
      .pure(pure)
      .standard("");
  ConversionRun run = convert(tape);
  EXPECT_TRUE(run.written);
  EXPECT_THAT(run.lines, ElementsAre());
  EXPECT_EQ(tap, tap_record(header) + tap_record(screen) + tap_record(turbo) + tap_record(pure) +
                     std::string("\0\0", 2));
}

TEST_F(TzxToTap, ManyRecordsOfEverySizeKeepTheirOrderAndBytes) {
  TzxBuilder tape;
  std::string expected;
  const std::size_t sizes[] = {300, 65535, 1, 4094, 4096, 65534, 70, 65533, 0, 9000};
  for (int round = 0; round < 30; ++round) {
    for (std::size_t size : sizes) {
      std::string data = pattern_bytes(size, round + static_cast<int>(size));
      tape.pure(data);
      expected += tap_record(data);
    }
  }
  ConversionRun run = convert(tape);
  EXPECT_THAT(run.lines, ElementsAre());
  EXPECT_EQ(tap.size(), expected.size());
  EXPECT_TRUE(tap == expected);
}

TEST_F(TzxToTap, RecordLengthSplitOverTwoWritesStaysWhole) {
  // 2 + 65533 bytes end one byte before the first 64 KB write is full.
  std::string first = pattern_bytes(65533, 1), second = pattern_bytes(300, 2);
  TzxBuilder tape;
  tape.pure(first).standard(second);
  convert(tape);
  EXPECT_TRUE(tap == tap_record(first) + tap_record(second));
}

TEST_F(TzxToTap, StandardBlockOf19BytesGivesA21ByteRecord) {
  std::string data = pattern_bytes(19, 7);
  TzxBuilder tape;
  tape.raw(std::string("\x10\xE8\x03\x13\x00", 5) + data);
  convert(tape);
  EXPECT_EQ(tap, std::string("\x13\x00", 2) + data);
}

TEST_F(TzxToTap, LongDataBlocksAreCutTo65535BytesAndTheNextBlockIsReadFromItsStart) {
  std::string big = pattern_bytes(65536, 5), after = pattern_bytes(40, 6);
  TzxBuilder tape;
  tape.turbo(big).standard(after).pure(big.substr(0, 65535)).pure(big + big).standard(after);
  ConversionRun run = convert(tape);
  EXPECT_THAT(run.lines, ElementsAre(line(SIZE_MESSAGE), line(SIZE_MESSAGE)));
  std::string cut = tap_record(big.substr(0, 65535));
  EXPECT_EQ(tap, cut + tap_record(after) + cut + cut + tap_record(after));
}

TEST_F(TzxToTap, LengthWithTheTopBitOfItsThirdByteIsOversizedToo) {
  std::string data = pattern_bytes(0x800001, 9), after = pattern_bytes(3, 1);
  TzxBuilder tape;
  tape.pure(data).standard(after);
  ConversionRun run = convert(tape);
  EXPECT_THAT(run.lines, ElementsAre(line(SIZE_MESSAGE)));
  EXPECT_EQ(tap, tap_record(data.substr(0, 65535)) + tap_record(after));
}

TEST_F(TzxToTap, RefusedBlockEndsTheConversionAndKeepsTheRecordsBeforeIt) {
  std::string first = pattern_bytes(19), second = pattern_bytes(100, 1);
  TzxBuilder tape;
  tape.standard(first).standard(second).block(0x12, le16(2168) + le16(3223)).standard(first);
  ConversionRun run = convert(tape);
  EXPECT_TRUE(run.written);
  EXPECT_THAT(run.lines, ElementsAre(line("Unsupported block found ($12)")));
  EXPECT_EQ(tap, tap_record(first) + tap_record(second));
}

TEST_F(TzxToTap, EveryRefusedIdNamesItselfInTwoHexDigits) {
  std::vector<int> refused = {0x12, 0x13};
  for (int id = 0x15; id <= 0x1F; ++id) refused.push_back(id);
  for (int id : refused) {
    std::remove(tap_path.c_str());
    TzxBuilder tape;
    tape.block(id, "");
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", id);
    EXPECT_THAT(convert(tape).lines, ElementsAre(line("Unsupported block found ($" + std::string(hex) + ")")));
  }
}

// Each block is followed by a data block; its body is filled with 0x12 so that
// reading on byte by byte instead of by the block's layout would meet a
// refused id or lose the record.
struct SkippedBlock {
  int id;
  std::string body;
};

std::vector<SkippedBlock> blocks_read_over() {
  std::string filler(40, '\x12');
  return {
      {0x20, le16(0x1212)},
      {0x21, "\x03" + filler.substr(0, 3)},
      {0x22, ""},
      {0x23, le16(0x1212)},
      {0x24, le16(0x1212)},
      {0x25, ""},
      {0x26, le16(3) + filler.substr(0, 6)},
      {0x27, ""},
      {0x28, le16(5) + filler.substr(0, 5)},
      {0x29, le32(4) + filler.substr(0, 4)},
      {0x2A, le32(0)},
      {0x2A, le32(3) + filler.substr(0, 3)},
      {0x2B, le32(1) + "\x12"},
      {0x30, "\x04" + filler.substr(0, 4)},
      {0x31, "\x12\x02" + filler.substr(0, 2)},
      {0x32, le16(7) + filler.substr(0, 7)},
      {0x33, "\x02" + filler.substr(0, 6)},
      {0x34, filler.substr(0, 8)},
      {0x35, filler.substr(0, 16) + le32(9) + filler.substr(0, 9)},
      {0x40, "\x12" + le24(10) + filler.substr(0, 10)},
      {0x5A, filler.substr(0, 9)},
      {0x00, le32(2) + filler.substr(0, 2)},
      {0x4B, le32(12) + filler.substr(0, 12)},
      {0xFF, le32(1) + "\x12"},
  };
}

TEST_F(TzxToTap, BlocksThatDescribeTheTapeAreReadOverByTheirLayout) {
  std::string data = pattern_bytes(30, 8);
  for (const SkippedBlock& skipped : blocks_read_over()) {
    std::remove(tap_path.c_str());
    TzxBuilder tape;
    tape.block(skipped.id, skipped.body).standard(data);
    ConversionRun run = convert(tape);
    EXPECT_THAT(run.lines, ElementsAre()) << "block id " << skipped.id;
    EXPECT_EQ(tap, tap_record(data)) << "block id " << skipped.id;
  }
}

TEST_F(TzxToTap, FileEndingInsideABlockKeepsTheCompleteRecordsBeforeIt) {
  std::string first = pattern_bytes(19);
  struct Cut {
    const char* what;
    std::string tail;
  };
  const std::vector<Cut> cuts = {
      {"fixed fields", std::string("\x11", 1) + le16(2168) + le16(667)},
      {"length field", std::string("\x10\xE8\x03\x13", 4)},
      {"skipped body", std::string("\x30\x09", 2) + "abc"},
      {"counted body", std::string("\x2A", 1) + le32(5000) + "x"},
  };
  for (const Cut& cut : cuts) {
    std::remove(tap_path.c_str());
    TzxBuilder tape;
    tape.standard(first).raw(cut.tail);
    ConversionRun run = convert(tape);
    EXPECT_THAT(run.lines, ElementsAre(line("the TZX file ends inside a block"))) << cut.what;
    EXPECT_EQ(tap, tap_record(first)) << cut.what;
  }
}

// The TAP file is written 64 KB at a time: with a first record of 63,000
// bytes the cut one is split over two writes, its length in the first.
TEST_F(TzxToTap, DataCutShortBecomesARecordOfTheBytesThatArePresent) {
  std::string cut = pattern_bytes(5000, 3);
  for (std::size_t first_size : {19, 63000}) {
    std::remove(tap_path.c_str());
    std::string first = pattern_bytes(first_size);
    TzxBuilder tape;
    tape.standard(first).pure(cut, 6912);
    ConversionRun run = convert(tape);
    EXPECT_THAT(run.lines, ElementsAre(line("the TZX file ends inside a block"))) << first_size;
    EXPECT_TRUE(tap == tap_record(first) + tap_record(cut)) << first_size;
  }
}

TEST_F(TzxToTap, OversizedBlockCutShortReportsBothAndKeepsItsFirst65535Bytes) {
  std::string data = pattern_bytes(70000, 2);
  TzxBuilder tape;
  tape.turbo(data, 100000);
  ConversionRun run = convert(tape);
  EXPECT_THAT(run.lines, ElementsAre(line(SIZE_MESSAGE), line("the TZX file ends inside a block")));
  EXPECT_EQ(tap, tap_record(data.substr(0, 65535)));
}

}  // namespace
