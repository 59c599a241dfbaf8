// What the disk holds, as both explorers show it: names in any encoding,
// broken entries and very many entries.
#include "gadgets/explorer_common.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

#include "gadgets/explorer_list.h"
#include "gadgets/explorer_tree.h"
#include "tests/support/explorer_fixture.h"
#include "tests/support/x_test_util.h"
#include "toolkit/gadget.h"

namespace {

using Explorers = ExplorerTest;

bool readable(const std::string& shown) {
  return !shown.empty() && g_utf8_validate(shown.c_str(), -1, nullptr);
}

TEST_F(Explorers, NamesInAnyEncodingAreShownReadablyAndHandedBackExactly) {
  const std::string dir = scratch_.path(), japanese = "\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97";
  // UTF-8 with an accent, beyond Latin-1, Latin-1 (not UTF-8); two directories.
  Names disk = {"caf\xc3\xa9.tzx", japanese + ".tzx", "caf\xe9.tzx", "d\xe9mos", japanese};
  scratch_.make({disk[0], disk[1], disk[2], "d\xe9mos/x.tzx", japanese + "/y.tzx"});
  std::sort(disk.begin(), disk.end());

  const ObjectNumber files = list(dir + "*.tzx", EXPLORER_SORT_BY_NAME);
  for (const std::string& shown : rows(files)) EXPECT_TRUE(readable(shown));
  Names found;
  for (int row = 1; row < gadget_count_items(files); ++row) {
    found.push_back(explorer_list_item_name(files, row));
    EXPECT_EQ(explorer_list_item_path(files, row), dir + found.back());
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, disk);
  GtkTreePath* path = gtk_tree_path_new_from_indices(1, -1);  // d\xe9mos
  gtk_tree_view_row_activated(view(files), path, gtk_tree_view_get_column(view(files), 0));
  gtk_tree_path_free(path);
  EXPECT_EQ(explorer_list_directory_path(files), dir + "d\xe9mos/");
  EXPECT_EQ(rows(files), (Names{"..", "x.tzx"}));
  explorer_list_set_path(files, dir + japanese + "/");
  EXPECT_EQ(explorer_list_item_path(files, 1), dir + japanese + "/y.tzx");

  const ObjectNumber nodes = tree(dir, EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_HOME);
  for (const std::string& shown : children(nodes, dir)) EXPECT_TRUE(readable(shown));
  for (const std::string& name : disk) {
    const std::string on_disk = dir + name + (name.find('.') == std::string::npos ? "/" : "");
    explorer_tree_set_path(nodes, on_disk);
    EXPECT_EQ(explorer_tree_selected_path(nodes), on_disk);
  }
  // Program strings are Latin-1: both those and UTF-8 bytes (as getcwd gives
  // them) lead to the node.
  for (const char* name : {"d\xe9mos/", "caf\xc3\xa9.tzx"}) {
    gadget_set_text(nodes, dir + name);
    EXPECT_EQ(explorer_tree_selected_path(nodes), dir + name);
  }
}

TEST_F(Explorers, UnreadableDanglingAndLoopingEntriesNeitherBreakNorHang) {
  const std::string t = scratch_.file("t/");
  scratch_.make({"t/locked/sub/", "t/vanishing/inner/", "t/plain"});
  for (const auto& [target, name] : {std::pair{"nowhere", "t/dangling"}, {"self", "t/self"}, {"..", "t/up"}})
    scratch_.make_link(target, name);
  chmod((t + "locked").c_str(), 0);
  const ObjectNumber files = list(t, EXPLORER_SORT_BY_NAME);
  const ObjectNumber dirs = tree(t, MAIN_TREE_FLAGS);
  EXPECT_EQ(rows(files), (Names{"..", "locked", "up", "vanishing", "plain"}));
  EXPECT_EQ(children(dirs, t), (Names{"locked", "up", "vanishing"}));

  // A link back to a parent is read only as far as it is walked.
  const std::string looped = t + "up/t/up/t/up/t/";
  gadget_set_text(files, looped);
  EXPECT_EQ(gadget_get_text(files), looped);
  EXPECT_EQ(gadget_count_items(files), 5);
  gadget_set_text(dirs, looped);
  EXPECT_EQ(gadget_get_text(dirs), looped);
  EXPECT_TRUE(unread(dirs, looped + "up/"));

  // A directory that cannot be read: the list shows the root, the tree stops
  // before it and shows no expander. Root reads anything, but not what is gone.
  std::vector<std::string> unreadable = {"vanishing"};
  if (geteuid() != 0) unreadable.push_back("locked");
  std::filesystem::remove_all(t + "vanishing");
  for (const std::string& name : unreadable) {
    gadget_set_text(files, t + name + "/");
    EXPECT_EQ(gadget_get_text(files), "/") << name;
    EXPECT_NE(gadget_get_item_text(files, 0), "..") << name;
    gadget_set_text(dirs, t + name + "/inner/");
    EXPECT_EQ(gadget_get_text(dirs), t + name + "/") << name;
    EXPECT_FALSE(expandable(dirs, t + name + "/")) << name;
  }
}

// Memory rather than disk where there is one: making many files on a
// journalled disk costs far more than listing them.
TEST_F(Explorers, ManyEntriesAreReadSortedAndWalkedQuickly) {
  constexpr int kEntries = 30000;
  const ScratchDirectory fast(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "");
  const auto numbered = [&](int i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%06d.tzx", i);
    return std::string(name);
  };
  // Made in descending order, so that sorting has something to do.
  for (int i = kEntries - 1; i >= 0; --i) fast.make_file(numbered(i));
  const auto start = std::chrono::steady_clock::now();
  const ObjectNumber files = list(fast.path() + "*.tzx", MAIN_LIST_FLAGS);
  const ObjectNumber nodes =
      tree(fast.path() + numbered(kEntries - 1), EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_HOME);
  x_test_pump();
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  // Generous for a loaded machine under the sanitizers; a hang, or a step
  // that walks all entries for every entry, takes far longer.
  EXPECT_LT(spent.count(), 30);

  ASSERT_EQ(gadget_count_items(files), kEntries);
  EXPECT_EQ(explorer_list_item_name(files, 0), numbered(0));
  EXPECT_EQ(explorer_list_item_name(files, kEntries - 1), numbered(kEntries - 1));
  EXPECT_EQ(gadget_get_text(nodes), fast.path() + numbered(kEntries - 1));
  GtkTreeIter directory = node(nodes, fast.path()), child;
  ASSERT_EQ(gtk_tree_model_iter_n_children(model(nodes), &directory), kEntries);
  ASSERT_TRUE(gtk_tree_model_iter_nth_child(model(nodes), &child, &directory, kEntries / 2));
  EXPECT_EQ(explorer_tree_node_path(view(nodes), &child), fast.path() + numbered(kEntries / 2));
}

}  // namespace
