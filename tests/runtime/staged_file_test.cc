// SPDX-License-Identifier: GPL-3.0-or-later
// Staged files under a hidden name (the way of file systems without unnamed
// files) and the removal of the hidden files whose writer died.
#include "runtime/staged_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "runtime/file.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;

std::set<std::string> names_in(const ScratchDirectory& directory) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory.path())) names.insert(entry.path().filename());
  return names;
}

// A child process that opens a hidden staged file for `name` and waits to be
// killed; returned once its file is there.
pid_t start_writer(const ScratchDirectory& directory, const std::string& name) {
  const std::size_t before = names_in(directory).size();
  pid_t child = fork();
  if (child == 0) {
    StagedFile staged;
    staged_file_open(staged, directory.file(name), false);
    for (;;) pause();
  }
  while (child > 0 && names_in(directory).size() == before) usleep(1000);
  return child;
}

// Placed; taken by another file meanwhile; never placed: the hidden file goes
// all the same, and the name has the whole file or the other one.
TEST(StagedFile, AHiddenFileIsNamedOnlyWhenCompleteAndNeverLeftBehind) {
  ScratchDirectory directory;
  std::string path = directory.file("tape.tap");
  for (int way = 0; way < 3; ++way) {
    std::remove(path.c_str());
    StagedFile staged;
    ASSERT_EQ(staged_file_open(staged, path, false), STAGED_FILE_DONE);
    EXPECT_THAT(names_in(directory), ElementsAre(MatchesRegex("\\.ostrelm-[A-Za-z0-9]{12}\\.part")));
    file_write_data(staged.number, "whole", 5);
    if (way > 0) write_file(path, "theirs");
    ASSERT_EQ(file_close(staged.number), 1);
    if (way < 2) {
      EXPECT_EQ(staged_file_place(staged), way == 0 ? STAGED_FILE_DONE : STAGED_FILE_TAKEN);
    }
    staged_file_close(staged);
    EXPECT_THAT(names_in(directory), ElementsAre("tape.tap"));
    EXPECT_EQ(read_file(path), way == 0 ? "whole" : "theirs");
  }
}

TEST(StagedFile, TheFirstStagedFileOfADirectoryRemovesOnlyHiddenFilesWhoseWriterDied) {
  ScratchDirectory directory;
  pid_t alive = start_writer(directory, "b.tap");
  ASSERT_GT(alive, 0);
  std::set<std::string> kept = names_in(directory);
  pid_t killed = start_writer(directory, "a.tap");  // its own first look keeps the live one
  ASSERT_GT(killed, 0);
  kill(killed, SIGKILL);
  waitpid(killed, nullptr, 0);
  // Like the pattern, but not of it.
  for (const char* name : {".ostrelm-abcdefghijkl.tap", ".ostrelm-abcdefghijk.part", ".ostrelm-abcdefghij-l.part",
                           "ostrelm-abcdefghijkl.part"}) {
    write_file(directory.file(name), "keep");
    kept.insert(name);
  }

  StagedFile staged;
  ASSERT_EQ(staged_file_open(staged, directory.file("c.tap"), false), STAGED_FILE_DONE);
  std::set<std::string> left = names_in(directory);
  left.erase(staged.hidden_name);
  staged_file_close(staged);
  kill(alive, SIGKILL);
  waitpid(alive, nullptr, 0);
  EXPECT_EQ(left, kept);
}

}  // namespace
