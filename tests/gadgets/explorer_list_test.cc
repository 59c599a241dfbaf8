// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/explorer_list.h"

#include "gadgets/explorer_list_state.h"
#include "tests/support/explorer_fixture.h"
#include "tests/support/x_test_util.h"

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
  // An index equal to the row count names no row.
  const int count = gadget_count_items(sorted);
  EXPECT_EQ(gadget_get_item_state(sorted, count), 0u);
  EXPECT_EQ(gadget_get_item_text(sorted, count), "");
}

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

TEST_F(ExplorerList, MainWindowListHoldsSelectableFiles) {
  scratch_.make({"sub/", "a.tzx", "b.tzx", "c.tzx"});
  const ObjectNumber files = list(scratch_.path() + "*.tzx", MAIN_LIST_FLAGS);
  ASSERT_EQ(gadget_count_items(files), 3);
  for (const char* row : {"0", "2"}) {
    GtkTreePath* path = gtk_tree_path_new_from_string(row);
    gtk_tree_selection_select_path(gtk_tree_view_get_selection(view(files)), path);
    gtk_tree_path_free(path);
  }
  for (int i = 0; i < 3; ++i) EXPECT_EQ(gadget_get_item_state(files, i), i == 1 ? 1u : 5u) << i;
}

TEST_F(ExplorerList, DoubleClickOnAFilePostsClicksButEnteringADirectoryOnlyAChange) {
  scratch_.make({"a.tzx", "sub/inner"});
  const ObjectNumber browser = list(scratch_.path(), EXPLORER_SORT_BY_NAME);
  ASSERT_TRUE(x_test_wait_mapped(GTK_WIDGET(view(browser))));
  const auto double_click = [&](int index) {
    GdkRectangle cell;
    GtkTreePath* path = gtk_tree_path_new_from_indices(index, -1);
    gtk_tree_view_get_cell_area(view(browser), path, gtk_tree_view_get_column(view(browser), 0), &cell);
    gtk_tree_path_free(path);
    int x = 0, y = 0;
    gtk_tree_view_convert_bin_window_to_widget_coords(view(browser), cell.x + cell.width / 2,
                                                      cell.y + cell.height / 2, &x, &y);
    x_test_pump_for(600);  // longer than the double-click time: gestures stay apart
    event_test_drain();
    x_test_double_click(GTK_WIDGET(view(browser)), x, y);
    std::vector<int> data;
    for (const TestEvent& event : gadget_events(300, browser)) {
      EXPECT_EQ(event.window, window_);
      data.push_back(event.data);
    }
    return data;
  };
  std::vector<int> clicks = double_click(2);
  clicks.erase(std::remove(clicks.begin(), clicks.end(), GADGET_EVENT_CHANGE), clicks.end());
  EXPECT_EQ(clicks, (std::vector<int>{0, 0, 2}));

  clicks = double_click(1);
  EXPECT_EQ(rows(browser), (Names{"..", "inner"}));
  EXPECT_NE(std::find(clicks.begin(), clicks.end(), GADGET_EVENT_CHANGE), clicks.end());
  EXPECT_EQ(std::find(clicks.begin(), clicks.end(), GADGET_EVENT_LEFT_DOUBLE_CLICK), clicks.end());
}
