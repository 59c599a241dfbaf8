// SPDX-License-Identifier: GPL-3.0-or-later
// What the disk holds, as both explorers show it, and how the tree reads it.
#include "gadgets/explorer_tree.h"

#include <unistd.h>

#include <cstdlib>

#include "tests/support/explorer_fixture.h"

using Explorers = ExplorerTest;

TEST_F(Explorers, NamesInAnyEncodingAreShownReadablyAndHandedBackExactly) {
  const std::string dir = scratch_.path(), japanese = "\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97";
  // UTF-8 with an accent, beyond Latin-1, Latin-1 (not UTF-8), a Latin-1 directory.
  Names disk = {"caf\xc3\xa9.tzx", japanese + ".tzx", "caf\xe9.tzx", "d\xe9mos"};
  scratch_.make({disk[0], disk[1], disk[2], disk[3] + "/"});
  std::sort(disk.begin(), disk.end());
  const ObjectNumber files = list(dir + "*.tzx", EXPLORER_SORT_BY_NAME);
  const ObjectNumber nodes = tree(dir, EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_HOME);
  Names shown = rows(files), found, in_tree = children(nodes, dir);
  shown.insert(shown.end(), in_tree.begin(), in_tree.end());
  for (const std::string& name : shown) EXPECT_TRUE(g_utf8_validate(name.c_str(), -1, nullptr)) << name;
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
  EXPECT_TRUE(unread(dirs, looped + "up/"));
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
    EXPECT_FALSE(expandable(dirs, t + name + "/")) << name;
  }
}

// Only the start path is read (a tree of the whole disk would take long);
// paths are walked as far as the tree goes; hidden directories only when asked.
TEST_F(Explorers, TheTreeReadsAlongItsPathAndWalksAsFarAsItGoes) {
  scratch_.make({"home/user/work/", "home/other/inside/", "h/.secret/inner/", "h/only_files/f.tzx"});
  const std::string home = scratch_.path() + "home/", hidden = scratch_.path() + "h/.secret/inner/";
  const ObjectNumber dirs = tree(home + "user/work/", MAIN_TREE_FLAGS);
  EXPECT_EQ(gadget_get_text(dirs), home + "user/work/");
  EXPECT_EQ(children(dirs, home + "user/"), Names{"work"});
  EXPECT_TRUE(unread(dirs, home + "other/"));
  gadget_set_text(dirs, home + "nosuchdir/x/");
  EXPECT_EQ(gadget_get_text(dirs), home);
  gadget_set_text(dirs, home + "user");
  EXPECT_EQ(gadget_get_text(dirs), home + "user/");
  EXPECT_EQ(gadget_get_text(tree(hidden, MAIN_TREE_FLAGS)), scratch_.path() + "h/");
  EXPECT_EQ(gadget_get_text(tree(hidden, MAIN_TREE_FLAGS | EXPLORER_SHOW_HIDDEN)), hidden);
  EXPECT_FALSE(expandable(tree(scratch_.path() + "h/", MAIN_TREE_FLAGS), scratch_.path() + "h/only_files/"));
}

// The home node is there while HOME is, and names the home directory.
TEST_F(Explorers, TextIsEmptyForNothingAndNamesRootAndHomeWhileThereIsAHome) {
  const char* saved = std::getenv("HOME");
  const std::string home_before = saved ? saved : "";
  setenv("HOME", (scratch_.make_directory("me"), (scratch_.path() + "me").c_str()), 1);  // no final "/"
  const ObjectNumber with_home = tree("*.tzx", MAIN_TREE_FLAGS);  // patterns only: no selection
  EXPECT_EQ(gadget_get_text(with_home), "");
  EXPECT_EQ(children(with_home, ""), (Names{"/", "Home"}));
  GtkTreeIter home;
  ASSERT_TRUE(gtk_tree_model_iter_nth_child(model(with_home), &home, nullptr, 1));
  gtk_tree_selection_select_iter(gtk_tree_view_get_selection(view(with_home)), &home);
  EXPECT_EQ(gadget_get_text(with_home), scratch_.path() + "me/");
  unsetenv("HOME");
  EXPECT_EQ(children(tree("/", MAIN_TREE_FLAGS), ""), Names{"/"});
  if (saved) setenv("HOME", home_before.c_str(), 1);
}
