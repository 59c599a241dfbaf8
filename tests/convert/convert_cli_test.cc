// The command-line converter, run as a separate process: its output lines,
// its standard error and its exit status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

struct CliRun {
  int status;
  std::vector<std::string> out;
  std::string err;
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class ConvertCli : public ::testing::Test {
 protected:
  // Runs the converter in the scratch directory with the arguments as given
  // (they go through the shell: keep them plain).
  CliRun run(const std::string& arguments) {
    const char* build = std::getenv("OSTRELM_BUILD_DIR");
    std::string program = std::string(build != nullptr ? build : "build") + "/ostrelm-convert";
    std::string command = "cd " + directory.path() + " && " + program + " " + arguments + " >" +
                          directory.file("out.txt") + " 2>" + directory.file("err.txt");
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, lines_of(read_file(directory.file("out.txt"))),
            read_file(directory.file("err.txt"))};
  }

  ScratchDirectory directory;
  std::string data = pattern_bytes(19);
};

TEST_F(ConvertCli, CleanConversionsPrintTheNamesAndExitWithZero) {
  write_file(directory.file("a.tzx"), TzxBuilder().standard(data).bytes());
  write_file(directory.file("b.TZX"), TzxBuilder().bytes());
  CliRun result = run("a.tzx b.TZX");
  EXPECT_EQ(result.status, 0);
  EXPECT_THAT(result.out, ElementsAre("a.tzx", "b.TZX"));
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(read_file(directory.file("a.tap")), tap_record(data));
  EXPECT_TRUE(path_exists(directory.file("b.tap")));
}

TEST_F(ConvertCli, MessagesComeBeforeTheirFileNameWithTheFullTapPath) {
  write_file(directory.file("a.tzx"), TzxBuilder().standard(data).bytes());
  write_file(directory.file("b.tzx"), TzxBuilder().standard(data).block(0x15, "").bytes());
  CliRun result = run("a.tzx b.tzx c.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.out,
              ElementsAre("a.tzx", directory.file("b.tap") + ": Unsupported block found ($15)", "b.tzx"));
  EXPECT_THAT(result.err, HasSubstr("c.txt"));
  EXPECT_FALSE(path_exists(directory.file("c.tap")));
}

TEST_F(ConvertCli, NameThatIsNotATapeAloneMakesTheStatusOne) {
  CliRun result = run("notes.txt noextension");
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.out, ElementsAre());
  EXPECT_EQ(lines_of(result.err).size(), 2u);
}

TEST_F(ConvertCli, UsageErrorsExitWithTwoAndHelpWithZero) {
  EXPECT_EQ(run("").status, 2);
  CliRun unknown = run("--frobnicate a.tzx");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_THAT(unknown.err, HasSubstr("Usage"));
  CliRun help = run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out.at(0), HasSubstr("Usage"));
}

TEST_F(ConvertCli, NamesAfterDoubleDashAreFilesEvenWithALeadingDash) {
  write_file(directory.file("-x.tzx"), TzxBuilder().standard(data).bytes());
  CliRun result = run("-- -x.tzx");
  EXPECT_EQ(result.status, 0);
  EXPECT_THAT(result.out, ElementsAre("-x.tzx"));
  EXPECT_EQ(read_file(directory.file("-x.tap")), tap_record(data));
}

}  // namespace
