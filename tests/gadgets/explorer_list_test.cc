// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/explorer_list.h"

#include "gadgets/explorer_list_state.h"
#include "tests/support/explorer_fixture.h"

using ExplorerList = ExplorerTest;

// Directories (links to them too, dangling links never) come first whatever
// the patterns; ";" alone and "*.*" alone take every name, inside a piece
// "*.*" keeps its dot.
TEST_F(ExplorerList, RowsFollowTheTextAndTheSortKeepsParentThenDirectoriesOrFilesFirst) {
  const std::string dir = scratch_.path();
  scratch_.make({"beta/", "alpha/", "b.tzx", "a.tzx", "c.txt", ".hidden.tzx", "GAME.TZX", "README"});
  scratch_.make_link(dir + "beta", "to_beta");
  scratch_.make_link(dir + "nowhere", "dangling.tzx");
  const ObjectNumber sorted = list(dir + "*.tzx", EXPLORER_SORT_BY_NAME);
  const Names dirs = {"..", "alpha", "beta", "to_beta"}, all = {"GAME.TZX", "README", "a.tzx", "b.tzx", "c.txt"};
  for (const auto& [patterns, files] : std::vector<std::pair<std::string, Names>>{
           {"*.tzx", {"a.tzx", "b.tzx"}}, {"*.txt;*.TZX", {"GAME.TZX", "c.txt"}},
           {"*.[tT][zZ][xX]", {"GAME.TZX", "a.tzx", "b.tzx"}}, {";", all}, {"*.*", all}, {"R*.*", {}}}) {
    gadget_set_text(sorted, patterns);  // without "/": the patterns only
    Names expected = dirs;
    expected.insert(expected.end(), files.begin(), files.end());
    EXPECT_EQ(rows(sorted), expected) << patterns;
  }
  EXPECT_EQ(gadget_get_text(sorted), dir);
  // Descending: ".." stays first, and files come before directories.
  gadget_set_text(sorted, "*.tzx");
  gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(model(sorted)), LIST_COLUMN_NAME, GTK_SORT_DESCENDING);
  EXPECT_EQ(rows(sorted), (Names{"..", "b.tzx", "a.tzx", "to_beta", "beta", "alpha"}));
  const Names hidden = rows(list(dir + "*.tzx", EXPLORER_SHOW_HIDDEN));
  EXPECT_EQ(std::count(hidden.begin(), hidden.end(), ".hidden.tzx"), 1);
  gadget_set_text(sorted, dir + "alpha/");  // ending in "/": the directory only
  EXPECT_EQ(rows(sorted), Names{".."});
  EXPECT_EQ(gadget_get_text(sorted), dir + "alpha/");
  gadget_set_text(sorted, "/");
  EXPECT_NE(gadget_get_item_text(sorted, 0), "..");
  const int count = gadget_count_items(sorted);  // names no row
  EXPECT_EQ(gadget_get_item_state(sorted, count), 0u);
  EXPECT_EQ(gadget_get_item_text(sorted, count), "");
}

// Each unit begins at its first byte.
TEST_F(ExplorerList, SizeAndAttributesTexts) {
  Names names = {"sub"}, sizes = {""};
  for (const auto& [size, text] : std::vector<std::pair<off_t, std::string>>{
           {1023, "1023 Bytes"}, {1024, "1 KB"}, {1048575, "1023 KB"}, {1048576, "1 MB"}, {5000000, "4 MB"}}) {
    names.push_back("f" + std::to_string(size));
    scratch_.make_file(names.back(), size);
    sizes.push_back(text);
  }
  scratch_.make_directory("sub");
  const ObjectNumber sized = list(scratch_.path(), EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_PARENT);
  GadgetRecord* record = gadget_find(sized);
  ASSERT_EQ(record->type->add_column(record, "TQ_Explorer_Column_Attributes", -1, 90), 1);
  EXPECT_EQ(rows(sized), names);
  EXPECT_EQ(rows(sized, 1), sizes);
  EXPECT_EQ(rows(sized, 4)[0] + " " + rows(sized, 4)[1], "drwxr-xr-x -rw-r--r--");
}
