// A TAP file whose writing fails leaves no partial data anywhere: not in the
// file a link at the TAP path leads to, not in the open file's pending bytes,
// and not when the file size limit or a closed pipe would otherwise end the
// command-line converter in the middle of the file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "convert/tzx_to_tap.h"
#include "runtime/file.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

using ::testing::ElementsAre;

namespace {

constexpr rlim_t SIZE_LIMIT = 100000;

// A tape whose TAP file is well beyond SIZE_LIMIT, and that TAP file.
std::string large_tape(std::string* tap = nullptr) {
  std::string blocks;
  for (int seed = 0; seed < 4; ++seed) {
    blocks += standard_block(pattern_bytes(49152, seed));
    if (tap != nullptr) *tap += tap_record(pattern_bytes(49152, seed));
  }
  return tzx(blocks);
}

std::string converter_program() {
  const char* build = std::getenv("OSTRELM_BUILD_DIR");
  return std::string(build != nullptr ? build : "build") + "/ostrelm-convert";
}

class TapWriteFailure : public ::testing::Test {
 protected:
  ScratchDirectory directory;
  std::string tzx_path = directory.file("tape.tzx");
  std::string tap_path = directory.file("tape.tap");
};

TEST_F(TapWriteFailure, FileBehindALinkIsEmptiedAgain) {
  write_file(tzx_path, large_tape());
  std::string target = directory.file("elsewhere.tap");
  write_file(target, "");
  ASSERT_EQ(symlink(target.c_str(), tap_path.c_str()), 0);
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit limit = saved;
  limit.rlim_cur = SIZE_LIMIT;
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limit);
  std::vector<std::string> lines;
  bool written = convert_tzx_to_tap(tzx_path, [&lines](const std::string& line) { lines.push_back(line); });
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_FALSE(written);
  EXPECT_THAT(lines, ElementsAre(tap_path + ": cannot write the TAP file"));
  EXPECT_TRUE(path_exists(target));
  EXPECT_EQ(read_file(target).size(), 0u);
}

TEST_F(TapWriteFailure, DiscardDropsPendingBytes) {
  write_file(tap_path, "");
  ObjectNumber file = file_open_output(OBJECT_NUMBER_ANY, tap_path);
  ASSERT_NE(file, 0);
  ASSERT_EQ(file_write_data(file, "pending", 7), 7u);
  EXPECT_EQ(file_discard(file), 1);
  EXPECT_EQ(read_file(tap_path), "");
}

TEST_F(TapWriteFailure, CommandLineOverTheFileSizeLimitRemovesItsTapFile) {
  write_file(tzx_path, large_tape());
  std::string output = directory.file("out.txt");
  // The signal's default action is left as it is: the converter must not die of it.
  std::string command = "cd " + directory.path() + " && prlimit --fsize=" + std::to_string(SIZE_LIMIT) + " " +
                        converter_program() + " tape.tzx >" + output;
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(read_file(output), tap_path + ": cannot write the TAP file\ntape.tzx\n");
  EXPECT_FALSE(path_exists(tap_path));
}

TEST_F(TapWriteFailure, CommandLineOnAClosedPipeStillFinishesItsTapFile) {
  std::string tap;
  write_file(tzx_path, large_tape(&tap));
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  close(pipe_ends[0]);
  std::string program = converter_program();
  pid_t child = fork();
  if (child == 0) {
    signal(SIGPIPE, SIG_DFL);
    dup2(pipe_ends[1], STDOUT_FILENO);
    if (chdir(directory.path().c_str()) == 0) execl(program.c_str(), program.c_str(), "tape.tzx", nullptr);
    _exit(127);
  }
  close(pipe_ends[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_TRUE(read_file(tap_path) == tap);
}

}  // namespace
