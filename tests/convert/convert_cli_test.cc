// The command-line converter, run as a separate process: its output lines,
// its standard error and its exit status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

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
  int run(const std::string& arguments) {
    const char* build = std::getenv("OSTRELM_BUILD_DIR");
    std::string command = "cd " + directory.path() + " && " + (build != nullptr ? build : "build") +
                          "/ostrelm-convert " + arguments + " >out.txt 2>err.txt";
    int result = std::system(command.c_str());
    err = read_file(directory.file("err.txt"));
    std::istringstream text(read_file(directory.file("out.txt")));
    out.clear();
    for (std::string line; std::getline(text, line);) out.push_back(line);
    return WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  }

  ScratchDirectory directory;
  std::string data = pattern_bytes(19);
  std::vector<std::string> out;
  std::string err;
};

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

}  // namespace
