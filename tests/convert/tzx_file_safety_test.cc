// Which files a conversion may touch: the input is only read, an input that is
// not a TZX image or cannot be opened leaves nothing behind, a TAP file with
// data is never touched, and a TAP file that cannot be written completely is
// not left behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "convert/tzx_to_tap.h"
#include "tests/support/conversion_run.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

using ::testing::ElementsAre;

namespace {

class TzxFileSafety : public ::testing::Test {
 protected:
  std::string line(const std::string& text) const { return tap_path + ": " + text; }
  time_t modification_time(const std::string& path) const {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? status.st_mtime : 0;
  }

  ScratchDirectory directory;
  std::string tzx_path = directory.file("tape.tzx");
  std::string tap_path = directory.file("tape.tap");
  std::string data = pattern_bytes(19);
};

TEST_F(TzxFileSafety, ReadOnlyInputIsConvertedAndStaysAsItWas) {
  TzxBuilder tape;
  tape.standard(data);
  write_file(tzx_path, tape.bytes());
  chmod(tzx_path.c_str(), 0444);
  ConversionRun run = run_conversion(tzx_path);
  EXPECT_TRUE(run.written);
  EXPECT_EQ(read_file(tap_path), tap_record(data));
  EXPECT_EQ(read_file(tzx_path), tape.bytes());
  struct stat status;
  ASSERT_EQ(stat(tzx_path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0444u);
}

TEST_F(TzxFileSafety, InputThatCannotBeOpenedIsReportedAndCreatesNothing) {
  ConversionRun missing = run_conversion(tzx_path);
  EXPECT_FALSE(missing.written);
  EXPECT_THAT(missing.lines, ElementsAre(line("cannot open the TZX file")));
  EXPECT_FALSE(path_exists(tzx_path));
  EXPECT_FALSE(path_exists(tap_path));

  ASSERT_EQ(mkdir(tzx_path.c_str(), 0755), 0);
  EXPECT_THAT(run_conversion(tzx_path).lines, ElementsAre(line("cannot open the TZX file")));
  EXPECT_FALSE(path_exists(tap_path));
}

TEST_F(TzxFileSafety, FifoNamedLikeATapeIsRefusedWithoutWaitingForAWriter) {
  ASSERT_EQ(mkfifo(tzx_path.c_str(), 0644), 0);
  alarm(20);  // a conversion that blocks fails the test instead of hanging it
  ConversionRun run = run_conversion(tzx_path);
  alarm(0);
  EXPECT_THAT(run.lines, ElementsAre(line("cannot open the TZX file")));
  EXPECT_FALSE(path_exists(tap_path));
}

TEST_F(TzxFileSafety, UnreadableInputIsReported) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  write_file(tzx_path, TzxBuilder().bytes());
  chmod(tzx_path.c_str(), 0200);
  EXPECT_THAT(run_conversion(tzx_path).lines, ElementsAre(line("cannot open the TZX file")));
  EXPECT_FALSE(path_exists(tap_path));
}

TEST_F(TzxFileSafety, InputThatIsNotATzxImageIsReportedAndLeavesNoTapFile) {
  const std::string headers[] = {
      "",
      std::string("ZXTape!", 7),
      std::string("ZXtape!\x1A\x01\x14", 10),
      std::string("ZXTape!\x1B\x01\x14", 10),
  };
  for (const std::string& header : headers) {
    std::string blocks = TzxBuilder().standard(data).bytes().substr(10);
    write_file(tzx_path, header.size() < 8 ? header : header + blocks);
    ConversionRun run = run_conversion(tzx_path);
    EXPECT_FALSE(run.written);
    EXPECT_THAT(run.lines, ElementsAre(line("not a TZX file"))) << header.size();
    EXPECT_FALSE(path_exists(tap_path)) << header.size();
  }
}

TEST_F(TzxFileSafety, SignatureWithoutVersionBytesIsStillATape) {
  write_file(tzx_path, std::string("ZXTape!\x1A", 8));
  ConversionRun run = run_conversion(tzx_path);
  EXPECT_TRUE(run.written);
  EXPECT_THAT(run.lines, ElementsAre());
  EXPECT_EQ(read_file(tap_path), "");
}

TEST_F(TzxFileSafety, TapFileWithDataIsPassedOverSilentlyWhateverTheInput) {
  write_file(tap_path, "keep");
  // Missing input, a non-TZX input, and a good tape: the TAP file decides first.
  for (const std::string& input : {std::string(), std::string("not a tape"), TzxBuilder().standard(data).bytes()}) {
    if (!input.empty()) write_file(tzx_path, input);
    ConversionRun run = run_conversion(tzx_path);
    EXPECT_FALSE(run.written);
    EXPECT_THAT(run.lines, ElementsAre());
    EXPECT_EQ(read_file(tap_path), "keep");
  }
}

TEST_F(TzxFileSafety, EmptyTapFileIsWritten) {
  write_file(tap_path, "");
  write_file(tzx_path, TzxBuilder().standard(data).bytes());
  EXPECT_TRUE(run_conversion(tzx_path).written);
  EXPECT_EQ(read_file(tap_path), tap_record(data));
}

TEST_F(TzxFileSafety, TapPathThatCannotBeCreatedIsReported) {
  write_file(tzx_path, TzxBuilder().standard(data).bytes());
  ASSERT_EQ(mkdir(tap_path.c_str(), 0755), 0);
  ConversionRun run = run_conversion(tzx_path);
  EXPECT_FALSE(run.written);
  EXPECT_THAT(run.lines, ElementsAre(line("cannot create the TAP file")));
}

TEST_F(TzxFileSafety, DanglingLinkAsTapPathCreatesNothingThroughIt) {
  write_file(tzx_path, TzxBuilder().standard(data).bytes());
  std::string target = directory.file("elsewhere.tap");
  ASSERT_EQ(symlink(target.c_str(), tap_path.c_str()), 0);
  EXPECT_THAT(run_conversion(tzx_path).lines, ElementsAre(line("cannot create the TAP file")));
  EXPECT_FALSE(path_exists(target));
}

// Keeps files of this process below a size, so that writing past it fails as
// on a full disk; restored when the object goes.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, SIG_DFL);
  }

 private:
  struct rlimit saved_;
};

TEST_F(TzxFileSafety, FailedWriteIsReportedAndTheIncompleteTapFileRemoved) {
  // A large record fails on its direct write, a small one only when the
  // buffer is written out at the close.
  for (std::size_t size : {std::size_t{20000}, std::size_t{300}}) {
    write_file(tzx_path, TzxBuilder().standard(pattern_bytes(size)).standard(data).bytes());
    ConversionRun run;
    {
      FileSizeLimit limit(100);
      run = run_conversion(tzx_path);
    }
    EXPECT_FALSE(run.written) << size;
    EXPECT_THAT(run.lines, ElementsAre(line("cannot write the TAP file"))) << size;
    EXPECT_FALSE(path_exists(tap_path)) << size;
  }
}

}  // namespace
