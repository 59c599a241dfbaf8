// Which files a conversion may touch: the input is only read, an input that
// cannot be opened or is no TZX image leaves nothing behind, a TAP file with
// data is never touched, and an incomplete TAP file does not stay.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

class TzxFileSafety : public ::testing::Test {
 protected:
  // Converts, wanting no result, only the message, and no file created or removed.
  void expect_failure(const std::string& what, const char* message) {
    SCOPED_TRACE(what);
    bool had_tzx = path_exists(tzx_path), had_tap = path_exists(tap_path);
    alarm(20);  // a conversion that waits for a writer of a FIFO fails instead of hanging
    ConversionRun run = run_conversion(tzx_path);
    alarm(0);
    EXPECT_FALSE(run.written);
    EXPECT_THAT(run.lines, ElementsAre(tap_path + ": " + message));
    EXPECT_EQ(path_exists(tzx_path), had_tzx);
    EXPECT_EQ(path_exists(tap_path), had_tap);
  }

  ScratchDirectory directory;
  std::string tzx_path = directory.file("tape.tzx"), tap_path = directory.file("tape.tap");
  std::string data = pattern_bytes(19), tape = tzx(standard_block(data));
};

TEST_F(TzxFileSafety, InputThatGivesNoTapeIsReported) {
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

TEST_F(TzxFileSafety, TapFileThatCannotBeCreatedOrWrittenIsReportedAndDoesNotStay) {
  write_file(tzx_path, tape);
  ASSERT_EQ(mkdir(tap_path.c_str(), 0755), 0);
  expect_failure("directory", "cannot create the TAP file");
  ASSERT_EQ(rmdir(tap_path.c_str()), 0);
  std::string target = directory.file("elsewhere.tap");
  ASSERT_EQ(symlink(target.c_str(), tap_path.c_str()), 0);
  expect_failure("dangling link", "cannot create the TAP file");
  EXPECT_FALSE(path_exists(target));
  std::remove(tap_path.c_str());
  // Writing past RLIMIT_FSIZE fails as on a full disk. A large record fails on
  // its own direct write, a small one only when the gathered records go out.
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_IGN);
  for (std::size_t size : {20000, 300}) {
    write_file(tzx_path, tzx(standard_block(pattern_bytes(size)) + standard_block(data)));
    struct rlimit limit = {100, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    expect_failure(std::to_string(size) + "-byte record", "cannot write the TAP file");
    setrlimit(RLIMIT_FSIZE, &saved);
  }
  signal(SIGXFSZ, SIG_DFL);
}

TEST_F(TzxFileSafety, OnlyAMissingOrEmptyTapFileIsWrittenAndTheInputIsOnlyRead) {
  write_file(tap_path, "keep");
  for (const std::string& input : {std::string(), std::string("not a tape"), tape}) {
    if (!input.empty()) write_file(tzx_path, input);
    ConversionRun run = run_conversion(tzx_path);
    EXPECT_FALSE(run.written);
    EXPECT_THAT(run.lines, ElementsAre());
    EXPECT_EQ(read_file(tap_path), "keep");
  }
  std::remove(tap_path.c_str());
  late_tap_path = tap_path;  // the data arrives between the look and the creation
  EXPECT_FALSE(run_conversion(tzx_path).written);
  ASSERT_EQ(late_tap_path, "") << "the converter did not look at the TAP file";
  EXPECT_EQ(read_file(tap_path), "late");

  write_file(tap_path, "");
  chmod(tzx_path.c_str(), 0444);
  EXPECT_TRUE(run_conversion(tzx_path).written);
  EXPECT_EQ(read_file(tap_path), tap_record(data));
  EXPECT_EQ(read_file(tzx_path), tape);
  struct stat status;
  ASSERT_EQ(lstat(tzx_path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0444u);
}

}  // namespace
