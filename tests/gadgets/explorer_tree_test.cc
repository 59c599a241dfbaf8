// SPDX-License-Identifier: GPL-3.0-or-later
// What the disk holds, as both explorers show it.
#include "gadgets/explorer_tree.h"

#include <unistd.h>

#include <clocale>

#include "tests/support/explorer_fixture.h"

using Explorers = ExplorerTest;

// In a UTF-8 locale (GTK sets the user's) fnmatch works on characters; names
// that are not UTF-8 must still match and keep their bytes.
TEST_F(Explorers, NamesInAnyEncodingAreShownReadablyAndHandedBackExactly) {
  std::setlocale(LC_ALL, "C.UTF-8");
  const std::string dir = scratch_.path(), japanese = "\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97";
  // UTF-8 with an accent, beyond Latin-1, Latin-1 (not UTF-8), a Latin-1 directory.
  Names disk = {"caf\xc3\xa9.tzx", japanese + ".tzx", "caf\xe9.tzx", "d\xe9mos"};
  scratch_.make({disk[0], disk[1], disk[2], disk[3] + "/"});
  std::sort(disk.begin(), disk.end());
  const ObjectNumber files = list(dir + "*.tzx", EXPLORER_SORT_BY_NAME),
                     nodes = tree(dir, EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_HOME);
  for (const Names& shown : {rows(files), children(nodes, dir)})
    for (const std::string& name : shown) EXPECT_TRUE(g_utf8_validate(name.c_str(), -1, nullptr)) << name;
  Names found;
  for (int row = 1; row < gadget_count_items(files); ++row) {
    found.push_back(explorer_list_item_name(files, row));
    EXPECT_EQ(explorer_list_item_path(files, row), dir + found.back());
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, disk);
  for (const std::string& name : disk) {
    const std::string on_disk = dir + name + (name == "d\xe9mos" ? "/" : "");
    explorer_tree_set_path(nodes, on_disk);
    EXPECT_EQ(explorer_tree_selected_path(nodes), on_disk);
  }
  std::setlocale(LC_ALL, "C");
}

TEST_F(Explorers, UnreadableDanglingAndLoopingEntriesNeitherBreakNorHang) {
  const std::string t = scratch_.file("t/");
  scratch_.make({"t/locked/sub/", "t/vanishing/inner/", "t/plain"});
  for (const auto& [target, name] : {std::pair{"nowhere", "t/dangling"}, {"self", "t/self"}, {"..", "t/up"}})
    scratch_.make_link(target, name);
  chmod((t + "locked").c_str(), 0);
  const ObjectNumber files = list(t, EXPLORER_SORT_BY_NAME), dirs = tree(t, MAIN_TREE_FLAGS);
  const Names shown = {"..", "locked", "up", "vanishing", "plain"};
  EXPECT_EQ(rows(files), shown);
  EXPECT_EQ(children(dirs, t), (Names{"locked", "up", "vanishing"}));
  // A link back to a parent is read only as far as it is walked.
  const std::string looped = t + "up/t/up/t/up/t/";
  gadget_set_text(files, looped);
  EXPECT_EQ(rows(files), shown);
  gadget_set_text(dirs, looped);
  EXPECT_EQ(gadget_get_text(dirs), looped);
  EXPECT_EQ(children(dirs, looped + "up/"), Names{""}) << "only the nameless placeholder";
  // A directory that cannot be read (root reads anything, but not what is
  // gone): the list shows the root, the tree stops before it, no expander.
  rmdir((t + "vanishing/inner").c_str());
  rmdir((t + "vanishing").c_str());
  for (const std::string name : {"vanishing", "locked"}) {
    if (name == "locked" && geteuid() == 0) continue;
    gadget_set_text(files, t + name + "/");
    EXPECT_EQ(gadget_get_text(files), "/") << name;
    gadget_set_text(dirs, t + name + "/inner/");
    EXPECT_EQ(gadget_get_text(dirs), t + name + "/") << name;
    EXPECT_EQ(children(dirs, t + name + "/"), Names{}) << name << ": no expander";
  }
}
