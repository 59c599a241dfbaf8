// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/explorer_list.h"

#include "gadgets/explorer_list_state.h"
#include "tests/support/explorer_fixture.h"

using ExplorerList = ExplorerTest;

TEST_F(ExplorerList, RowsFollowTheTextAndTheSortKeepsParentThenDirectoriesOrFilesFirst) {
  const std::string dir = scratch_.path();
  scratch_.make({"beta/", "alpha/", "b.tzx", "a.tzx", "c.txt", ".hidden.tzx", "GAME.TZX"});
  const ObjectNumber sorted = list(dir + "*.tzx", EXPLORER_SORT_BY_NAME);
  EXPECT_EQ(rows(sorted), (Names{"..", "alpha", "beta", "a.tzx", "b.tzx"}));
  EXPECT_EQ(gadget_get_text(sorted), dir);
  // Descending: ".." stays first, and files come before directories.
  gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(model(sorted)), LIST_COLUMN_NAME, GTK_SORT_DESCENDING);
  EXPECT_EQ(rows(sorted), (Names{"..", "b.tzx", "a.tzx", "beta", "alpha"}));
  // A text without "/" replaces only the patterns; one ending in "/" only the directory.
  gadget_set_text(sorted, "*.txt;*.TZX");
  EXPECT_EQ(rows(sorted), (Names{"..", "alpha", "beta", "GAME.TZX", "c.txt"}));
  gadget_set_text(sorted, dir + "alpha/");
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
  EXPECT_EQ(rows(sized, 4)[0], "drwxr-xr-x");
  EXPECT_EQ(rows(sized, 4)[1], "-rw-r--r--");
}
