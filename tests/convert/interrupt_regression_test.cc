// Ctrl-C while the command-line converter writes a TAP file: the file is
// finished first and the signal takes effect afterwards, so no TAP file is
// left half written (it would hold data and never be converted again).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

namespace {

constexpr int BLOCKS = 30;
constexpr std::size_t OVERSIZED = 65536;

char process_state(pid_t pid) {
  std::ifstream stat_file("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat_file)), std::istreambuf_iterator<char>());
  std::size_t end_of_name = text.rfind(')');
  return end_of_name == std::string::npos || end_of_name + 2 >= text.size() ? '?' : text[end_of_name + 2];
}

long long file_bytes(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 ? status.st_size : -1;
}

TEST(InterruptRegression, CtrlCWhileWritingATapFileLetsItFinish) {
  // Each oversized block gives a message line with the long TAP path, so the
  // lines fill standard output in the middle of the tape and the converter
  // waits there on a pipe that nobody reads yet.
  ScratchDirectory scratch;
  std::string directory = scratch.path();
  for (int depth = 0; depth < 14; ++depth) {
    directory += std::string(250, 'd') + "/";
    ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
  }
  std::string blocks;
  std::string tap;
  for (int seed = 0; seed < BLOCKS; ++seed) {
    std::string data = pattern_bytes(OVERSIZED, seed);
    blocks += turbo_block(data);
    tap += tap_record(data.substr(0, OVERSIZED - 1));
  }
  write_file(directory + "tape.tzx", tzx(blocks));
  std::string tap_path = directory + "tape.tap";

  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  fcntl(pipe_ends[1], F_SETPIPE_SZ, 4096);
  const char* build = std::getenv("OSTRELM_BUILD_DIR");
  std::string program = std::string(build != nullptr ? build : "build") + "/ostrelm-convert";
  pid_t child = fork();
  if (child == 0) {
    signal(SIGINT, SIG_DFL);
    dup2(pipe_ends[1], STDOUT_FILENO);
    close(pipe_ends[0]);
    if (chdir(directory.c_str()) == 0) execl(program.c_str(), program.c_str(), "tape.tzx", nullptr);
    _exit(127);
  }
  close(pipe_ends[1]);

  // Waits until part of the TAP file is written and the converter sleeps on
  // the full pipe.
  bool waiting = false;
  for (int poll = 0; poll < 3000 && !waiting; ++poll) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    waiting = file_bytes(tap_path) >= 65536 && process_state(child) == 'S';
  }
  EXPECT_TRUE(waiting);
  kill(child, SIGINT);
  char sink[4096];
  while (read(pipe_ends[0], sink, sizeof sink) > 0) {
  }
  close(pipe_ends[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
  EXPECT_EQ(file_bytes(tap_path), static_cast<long long>(tap.size()));
  EXPECT_TRUE(read_file(tap_path) == tap);
}

}  // namespace
