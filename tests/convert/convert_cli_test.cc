// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line converter, run as a separate process: its output lines,
// its standard error and its exit status.
#include <gmock/gmock.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class ConvertCli : public ::testing::Test {
 protected:
  // Runs the converter in the scratch directory; keeps its output lines and standard error.
  int run(const std::string& arguments, const std::string& prefix = "") {
    const char* build = std::getenv("OSTRELM_BUILD_DIR");
    std::string program = std::string(build != nullptr ? build : "build") + "/ostrelm-convert ";
    int status = std::system(("cd " + directory.path() + " && " + prefix + program + arguments + " >out 2>err").c_str());
    err = read_file(directory.file("err"));
    std::istringstream text(read_file(directory.file("out")));
    out.clear();
    for (std::string line; std::getline(text, line);) out.push_back(line);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  ScratchDirectory directory;
  std::string data = pattern_bytes(19), err;
  std::vector<std::string> out;
};

TEST_F(ConvertCli, ExitStatusOutputLinesAndStandardError) {
  write_file(directory.file("a.tzx"), tzx(standard_block(data)));
  EXPECT_EQ(run("a.tzx"), 0);
  EXPECT_THAT(out, ElementsAre("a.tzx"));
  EXPECT_EQ(err, "");
  EXPECT_EQ(read_file(directory.file("a.tap")), tap_record(data));
  write_file(directory.file("c.tzx"), tzx(standard_block(data) + "\x15"));
  EXPECT_EQ(run("c.tzx"), 1);
  EXPECT_THAT(out, ElementsAre(directory.file("c.tap") + ": Unsupported block found ($15)", "c.tzx"));
  EXPECT_EQ(run("notes.txt"), 1);
  EXPECT_THAT(out, ElementsAre());
  EXPECT_THAT(err, HasSubstr("notes.txt"));
  for (const char* arguments : {"", "--", "--frobnicate a.tzx", "-x a.tzx"}) {
    EXPECT_EQ(run(arguments), 2) << arguments;
    EXPECT_THAT(err, HasSubstr("Usage")) << arguments;
  }
  EXPECT_EQ(run("--help"), 0);
  EXPECT_THAT(out.at(0), HasSubstr("Usage"));
  // The size limit's signal, at its default, neither ends the process nor leaves half a TAP file.
  write_file(directory.file("tape.tzx"), tzx(standard_block(pattern_bytes(65535))));
  EXPECT_EQ(run("tape.tzx", "prlimit --fsize=50000 "), 1);
  EXPECT_THAT(out, ElementsAre(directory.file("tape.tap") + ": cannot write the TAP file", "tape.tzx"));
  EXPECT_FALSE(path_exists(directory.file("tape.tap")));
}

// After "--" every argument is a name, one that looks like an option too.
TEST_F(ConvertCli, NamesAfterTheEndOfOptions) {
  write_file(directory.file("-a.tzx"), tzx(standard_block(data)));
  EXPECT_EQ(run("-- -a.tzx"), 0);
  EXPECT_THAT(out, ElementsAre("-a.tzx"));
  EXPECT_EQ(read_file(directory.file("-a.tap")), tap_record(data));
  EXPECT_EQ(run("-- --help --"), 1);
  EXPECT_THAT(out, ElementsAre());
  EXPECT_THAT(err, HasSubstr("--help: not a .tzx file"));
  EXPECT_THAT(err, HasSubstr("--: not a .tzx file"));
  EXPECT_EQ(run("-"), 1);  // a lone "-" is a name
  EXPECT_THAT(err, HasSubstr("-: not a .tzx file"));
}

// Lines that cannot be written are a failure of the run, told on standard error.
TEST_F(ConvertCli, StandardOutputThatCannotBeWritten) {
  write_file(directory.file("a.tzx"), tzx(standard_block(data)));
  EXPECT_EQ(run("a.tzx", "sh -c '\"$0\" \"$@\" >/dev/full' "), 1);
  EXPECT_EQ(err, "ostrelm-convert: cannot write to standard output\n");
  EXPECT_EQ(read_file(directory.file("a.tap")), tap_record(data));
}

// A termination request that comes while a TAP file is written waits until it
// is whole. The request is sent the moment the converter opens the tape (an
// inotify event), long before a 10 MB tape is through.
TEST_F(ConvertCli, ATerminationRequestWaitsForTheTapFile) {
  std::string tape, tap;
  for (int i = 0; i < 160; ++i) {
    std::string block = pattern_bytes(65535, i);
    tape += pure_block(block);
    tap += tap_record(block);
  }
  std::string tzx_path = directory.file("big.tzx");
  write_file(tzx_path, tzx(tape));
  int watch = inotify_init1(IN_CLOEXEC);
  ASSERT_GE(inotify_add_watch(watch, tzx_path.c_str(), IN_OPEN), 0);
  const char* build = std::getenv("OSTRELM_BUILD_DIR");
  std::string program = std::string(build != nullptr ? build : "build") + "/ostrelm-convert";
  pid_t child = fork();
  if (child == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    execl(program.c_str(), program.c_str(), tzx_path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(child, 0);
  pollfd opened = {watch, POLLIN, 0};
  EXPECT_EQ(poll(&opened, 1, 60000), 1) << "the converter never opened the tape";
  kill(child, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  close(watch);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_TRUE(read_file(directory.file("big.tap")) == tap) << "the TAP file is not whole";
}

}  // namespace
