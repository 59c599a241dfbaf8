// The command-line converter, run as a separate process: its output lines,
// its standard error and its exit status, and a TAP file that is finished or
// removed whatever happens to the process meanwhile.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "runtime/file_names.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class ConvertCli : public ::testing::Test {
 protected:
  // Runs the converter in the scratch directory, keeps its output lines and
  // standard error and returns its exit status. Arguments go through the shell.
  int run(const std::string& arguments, const std::string& prefix = "") {
    std::string command = "cd " + directory.path() + " && " + prefix + program + " " + arguments;
    int result = std::system((command + " >out.txt 2>err.txt").c_str());
    err = read_file(directory.file("err.txt"));
    std::istringstream text(read_file(directory.file("out.txt")));
    out.clear();
    for (std::string line; std::getline(text, line);) out.push_back(line);
    return WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  }

  // A tape of oversized blocks, each giving a message line that names a TAP
  // path of 3500 bytes, so that the lines fill the output buffer and a pipe
  // while the TAP file is half written. Returns the tape's directory.
  std::string write_long_path_tape() {
    std::string relative;
    for (int depth = 0; depth < 14; ++depth) relative += std::string(250, 'd') + "/";
    std::string dir = directory.make_directory(relative);
    std::string blocks;
    for (int seed = 0; seed < 30; ++seed) {
      std::string block = pattern_bytes(65536, seed);
      blocks += turbo_block(block);
      tap += tap_record(block.substr(0, 65535));
    }
    write_file(dir + "tape.tzx", tzx(blocks));
    return dir;
  }

  // Starts the converter on `dir`tape.tzx with standard output into `out`,
  // the signals at their defaults as a shell would leave them.
  pid_t start(const std::string& dir, int out) {
    pid_t child = fork();
    if (child == 0) {
      signal(SIGPIPE, SIG_DFL);
      signal(SIGINT, SIG_DFL);
      dup2(out, STDOUT_FILENO);
      if (chdir(dir.c_str()) == 0) execl(program.c_str(), program.c_str(), "tape.tzx", nullptr);
      _exit(127);
    }
    close(out);
    return child;
  }

  ScratchDirectory directory;
  const char* build = std::getenv("OSTRELM_BUILD_DIR");
  std::string program = std::string(build != nullptr ? build : "build") + "/ostrelm-convert";
  std::string data = pattern_bytes(19), tap;
  std::vector<std::string> out;
  std::string err;
};

pid_t wait_for(pid_t child) {
  int status = 0;
  return waitpid(child, &status, 0) == child ? status : -1;
}


TEST_F(ConvertCli, CleanConversionsPrintTheNamesAndExitWithZero) {
  // Any letter case of the extension; the TAP name replaces the last one only;
  // after "--" a leading "-" is part of a name.
  write_file(directory.file("a.tzx"), tzx(standard_block(data)));
  write_file(directory.file("-b.v1.TZX"), tzx(""));
  EXPECT_EQ(run("a.tzx -- -b.v1.TZX"), 0);
  EXPECT_THAT(out, ElementsAre("a.tzx", "-b.v1.TZX"));
  EXPECT_EQ(err, "");
  EXPECT_EQ(read_file(directory.file("a.tap")), tap_record(data));
  EXPECT_TRUE(path_exists(directory.file("-b.v1.tap")));
}

TEST_F(ConvertCli, MessagesOrNamesPassedOverMakeTheStatusOne) {
  write_file(directory.file("a.tzx"), tzx(standard_block(data)));
  write_file(directory.file("b.tzx"), tzx(standard_block(data) + "\x15"));
  EXPECT_EQ(run("a.tzx b.tzx"), 1);
  EXPECT_THAT(out, ElementsAre("a.tzx", directory.file("b.tap") + ": Unsupported block found ($15)", "b.tzx"));
  EXPECT_EQ(run("notes.txt c.tzx.bak"), 1);
  EXPECT_THAT(out, ElementsAre());
  EXPECT_THAT(err, AllOf(HasSubstr("notes.txt"), HasSubstr("c.tzx.bak")));
  EXPECT_FALSE(path_exists(directory.file("notes.tap")));
}

TEST_F(ConvertCli, UsageErrorsExitWithTwoAndHelpWithZero) {
  EXPECT_EQ(run(""), 2);
  EXPECT_EQ(run("--frobnicate a.tzx"), 2);
  EXPECT_THAT(err, HasSubstr("Usage"));
  EXPECT_EQ(run("--help"), 0);
  EXPECT_THAT(out.at(0), HasSubstr("Usage"));
}

// Whatever would end the process in the middle of a TAP file waits or fails
// instead: the size limit's signal, a closed pipe's, Ctrl-C. Each signal is
// left at its default, as a shell leaves it.
TEST_F(ConvertCli, TapFileIsNeverLeftHalfWritten) {
  std::string block = standard_block(pattern_bytes(65535));
  write_file(directory.file("tape.tzx"), tzx(block + block));
  EXPECT_EQ(run("tape.tzx", "prlimit --fsize=100000 "), 1);
  EXPECT_THAT(out, ElementsAre(directory.file("tape.tap") + ": cannot write the TAP file", "tape.tzx"));
  EXPECT_FALSE(path_exists(directory.file("tape.tap")));

  std::string dir = write_long_path_tape();
  int pipe_ends[2];
  ASSERT_EQ(pipe2(pipe_ends, O_CLOEXEC), 0);
  close(pipe_ends[0]);
  int status = wait_for(start(dir, pipe_ends[1]));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_TRUE(read_file(dir + "tape.tap") == tap);

  std::remove((dir + "tape.tap").c_str());
  ASSERT_EQ(pipe2(pipe_ends, O_CLOEXEC), 0);
  fcntl(pipe_ends[1], F_SETPIPE_SZ, 4096);
  pid_t child = start(dir, pipe_ends[1]);
  // Ctrl-C once part of the TAP file is written and the converter sleeps on
  // the full pipe that nobody reads yet.
  bool waiting = false;
  for (int poll = 0; poll < 3000 && !waiting; ++poll) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    waiting = file_size(dir + "tape.tap") >= 65536 &&
              read_file("/proc/" + std::to_string(child) + "/stat").find(") S ") != std::string::npos;
  }
  EXPECT_TRUE(waiting);
  kill(child, SIGINT);
  for (char sink[4096]; read(pipe_ends[0], sink, sizeof sink) > 0;) {
  }
  close(pipe_ends[0]);
  status = wait_for(child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_TRUE(read_file(dir + "tape.tap") == tap);
}

}  // namespace
