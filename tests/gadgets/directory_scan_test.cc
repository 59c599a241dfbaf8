// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/directory_scan.h"

#include <gtest/gtest.h>

#include <clocale>
#include <map>
#include <string>

#include "gadgets/explorer_common.h"
#include "tests/support/scratch_directory.h"

using Found = std::map<std::string, std::string>;  // name -> full path

static Found scan(std::string directory, const std::string& text, unsigned flags = 0) {
  PatternList patterns;
  split_directory_pattern(text, directory, patterns);
  Found found;
  DirectoryStream dir = directory_open(directory);
  struct stat status;
  std::string path;
  while (const dirent* entry = directory_next_entry(dir.get(), directory, patterns, flags, &status, &path))
    found[entry->d_name] = path;
  return found;
}

// In a UTF-8 locale (GTK sets the user's) fnmatch works on characters; names
// that are not UTF-8 must still match and keep their bytes.
TEST(DirectoryScan, SelectsByPatternsAndFlagsFollowsLinksAndLeavesOutDanglingOnes) {
  const ScratchDirectory scratch;
  std::setlocale(LC_ALL, "C.UTF-8");
  const std::string d = scratch.path(), bare = d.substr(0, d.size() - 1);  // no final "/"
  scratch.make({"game.tzx", "b\xE9.tzx", "GAME.TZX", "README", ".profile", "sub/", ".config/"});
  scratch.make_link(d + "sub", "to_sub");
  scratch.make_link(d + "nowhere", "dangling");
  const Found dirs = {{"sub", d + "sub/"}, {"to_sub", d + "to_sub/"}};
  const auto with = [&](Found found, std::initializer_list<const char*> names) {
    for (const char* name : names) found[name] = d + name;
    return found;
  };
  EXPECT_EQ(scan(bare, "*.tzx"), with(dirs, {"game.tzx", "b\xE9.tzx"}));
  EXPECT_EQ(scan(bare, "*.[tT][zZ][xX]"), with(dirs, {"game.tzx", "b\xE9.tzx", "GAME.TZX"}));
  // ";" alone and "*.*" alone take every name; inside a piece "*.*" keeps its dot.
  Found all = with(dirs, {"game.tzx", "b\xE9.tzx", "GAME.TZX", "README"});
  for (const char* every : {";", "*.*"}) EXPECT_EQ(scan(bare, every), all) << every;
  EXPECT_EQ(scan(bare, "R*.*"), dirs);
  all = with(all, {".profile"});
  all[".config"] = d + ".config/";
  EXPECT_EQ(scan(bare, "*", EXPLORER_SHOW_HIDDEN), all);
  std::setlocale(LC_ALL, "C");
}
