#include "gadgets/directory_scan.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "gadgets/explorer_common.h"
#include "tests/support/scratch_directory.h"

namespace {

using Found = std::map<std::string, std::string>;  // name -> full path
using Split = std::pair<std::string, PatternList>;  // directory, patterns

Split split(const char* text, std::string directory, PatternList patterns) {
  split_directory_pattern(text, directory, patterns);
  return {directory, patterns};
}

TEST(DirectoryPattern, SplitsTextsAndMatchesCaseSensitively) {
  const PatternList tzx = {"*.tzx"};
  EXPECT_EQ(split("/home/user/*.tzx", "/old/", {"old"}), Split("/home/user/", tzx));
  EXPECT_EQ(split("/data/", "/old/", tzx), Split("/data/", tzx));  // all directory
  EXPECT_EQ(split("*.tzx;;*.tap;", "/data/", {}), Split("/data/", {"*.tzx", "*.tap"}));
  EXPECT_EQ(split("", "/data/", tzx), Split("/", tzx));
  EXPECT_EQ(split(";", "/", tzx), Split("/", {}));
  EXPECT_EQ(split("*.tzx", "", {}), Split("", tzx));
  // "*.*" alone is every name; inside a piece it keeps its dot.
  EXPECT_EQ(split("/x/*.*;a*.*", "", {}), Split("/x/", {"*", "a*.*"}));
  EXPECT_FALSE(pattern_list_matches({"a*.*"}, "abc"));
  EXPECT_TRUE(pattern_list_matches({"a*.*"}, "ab.c"));

  EXPECT_FALSE(pattern_list_matches(tzx, "GAME.TZX"));
  EXPECT_TRUE(pattern_list_matches({"*.[tT][zZ][xX]"}, "GAME.TZX"));
  EXPECT_TRUE(pattern_list_matches({"*.tap", "*.tzx"}, "game.tzx"));
  EXPECT_FALSE(pattern_list_matches({"\\*"}, "a"));
  EXPECT_TRUE(pattern_list_matches({}, "anything"));
}

// The entries a scan of the directory returns.
Found scan(std::string directory, const std::string& text, unsigned flags = 0) {
  PatternList patterns;
  split_directory_pattern(text, directory, patterns);
  Found found;
  DirectoryStream dir = directory_open(directory);
  EXPECT_NE(dir, nullptr);
  struct stat status;
  std::string path;
  while (const dirent* entry =
             directory_next_entry(dir.get(), directory, patterns, flags, &status, &path))
    found[entry->d_name] = path;
  return found;
}

TEST(DirectoryScan, SelectsByPatternsAndFlagsFollowsLinksAndLeavesOutBrokenOnes) {
  const ScratchDirectory scratch;
  const std::string d = scratch.path(), bare = d.substr(0, d.size() - 1);  // no final "/"
  scratch.make({"game.tzx", "GAME.TZX", "README", ".profile", "sub/", ".config/"});
  const std::pair<std::string, const char*> links[] = {
      {d + "sub", "to_sub"}, {d + "nowhere", "dangling"}, {".", "loop"}, {"ring_b", "ring_a"}, {"ring_a", "ring_b"}};
  for (const auto& [target, name] : links) scratch.make_link(target, name);

  const Found directories = {{"sub", d + "sub/"}, {"to_sub", d + "to_sub/"}, {"loop", d + "loop/"}};
  const auto with = [&](Found found, std::initializer_list<const char*> files) {
    for (const char* name : files) found[name] = d + name;
    return found;
  };
  EXPECT_EQ(scan(bare, "*.tzx"), with(directories, {"game.tzx"}));
  EXPECT_EQ(scan(bare, "*.[tT][zZ][xX]"), with(directories, {"game.tzx", "GAME.TZX"}));
  EXPECT_EQ(scan(bare, ";"), with(directories, {"game.tzx", "GAME.TZX", "README"}));
  Found hidden = with(directories, {"game.tzx", "GAME.TZX", "README", ".profile"});
  hidden[".config"] = d + ".config/";
  EXPECT_EQ(scan(bare, "*", EXPLORER_SHOW_HIDDEN), hidden);
  EXPECT_EQ(scan(bare, ";", EXPLORER_HIDE_FILES), directories);
  EXPECT_EQ(scan(bare, ";", EXPLORER_HIDE_DIRECTORIES),
            with({}, {"game.tzx", "GAME.TZX", "README"}));
}

// GTK runs the program in the user's (UTF-8) locale, where fnmatch works on
// characters; names that are not UTF-8 must still match and keep their bytes.
TEST(DirectoryScan, NamesKeepTheirBytesInAUtf8Locale) {
  const ScratchDirectory scratch;
  const std::string latin1 = "b\xE9.tzx", japanese = "\u30C6\u30FC\u30D7.tzx";
  scratch.make({latin1, japanese});
  std::setlocale(LC_ALL, "C.UTF-8");
  const Found found = scan(scratch.path(), "*.tzx");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(found, (Found{{latin1, scratch.file(latin1)}, {japanese, scratch.file(japanese)}}));
}

// Runs the check as an unprivileged user, so that permissions apply even when
// the tests run as root; returns the check's result.
bool run_unprivileged(const std::function<bool()>& check) {
  if (geteuid() != 0) return check();
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(DirectoryScan, UnreadableDirectoriesGiveNoEntries) {
  const ScratchDirectory scratch;
  const std::string closed = scratch.file("closed/"), unsearchable = scratch.file("unsearchable/");
  scratch.make({"closed/a.tzx", "unsearchable/a.tzx"});
  chmod(closed.c_str(), 0);
  chmod(unsearchable.c_str(), 0444);  // names readable, status not
  EXPECT_TRUE(run_unprivileged([&] {
    if (directory_open(closed)) return false;
    DirectoryStream dir = directory_open(unsearchable);
    return dir && !directory_next_entry(dir.get(), unsearchable, {}, 0, nullptr, nullptr);
  }));
}

}  // namespace
