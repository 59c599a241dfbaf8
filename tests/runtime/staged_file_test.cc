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
    if (way < 2) { EXPECT_EQ(staged_file_place(staged), way == 0 ? STAGED_FILE_DONE : STAGED_FILE_TAKEN); }
    staged_file_close(staged);
    EXPECT_THAT(names_in(directory), ElementsAre("tape.tap"));
    EXPECT_EQ(read_file(path), way == 0 ? "whole" : "theirs");
  }
}

// The first staged file of a directory (in this process) removes the hidden
// files that nobody holds a lock on, as a writer that died leaves them, and
// nothing else: not the file of a live writer, nor names like the pattern.
TEST(StagedFile, TheFirstStagedFileOfADirectoryRemovesOnlyHiddenFilesWhoseWriterDied) {
  ScratchDirectory directory;
  pid_t writer = fork();
  if (writer == 0) {
    StagedFile staged;
    staged_file_open(staged, directory.file("b.tap"), false);
    for (;;) pause();
  }
  while (writer > 0 && names_in(directory).empty()) usleep(1000);
  for (const char* name : {".ostrelm-abcdefghijkl.tap", ".ostrelm-abcdefghijk.part", ".ostrelm-abcdefghij-l.part",
                           "ostrelm-abcdefghijkl.part"})
    write_file(directory.file(name), "keep");
  const std::set<std::string> kept = names_in(directory);
  write_file(directory.file(".ostrelm-Dead0writer9.part"), "");

  // The writer's name may come again here (a forked copy of the same name
  // source), as a new file only if the writer's is still there.
  StagedFile staged;
  EXPECT_EQ(staged_file_open(staged, directory.file("c.tap"), false), STAGED_FILE_DONE);
  std::set<std::string> left = names_in(directory);
  left.erase(staged.hidden_name);
  EXPECT_EQ(left, kept);
  staged_file_close(staged);
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
}

}  // namespace
