#include "gadgets/explorer_list.h"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "gadgets/explorer_common.h"
#include "gadgets/explorer_list_state.h"
#include "tests/support/explorer_fixture.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

using ExplorerList = ExplorerTest;

void sort(GtkTreeView* view, int column, GtkSortType order = GTK_SORT_DESCENDING) {
  gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(gtk_tree_view_get_model(view)), column, order);
}

TEST_F(ExplorerList, RowsFollowTheTextAndTheSortKeepsParentThenDirectoriesOrFilesFirst) {
  const std::string dir = scratch_.path();
  scratch_.make({"beta/", "alpha/", "b.tzx", "a.tzx", "c.txt", ".hidden.tzx", "GAME.TZX"});
  const ObjectNumber sorted = list(dir + "*.tzx", EXPLORER_SORT_BY_NAME);
  EXPECT_EQ(rows(sorted), (Names{"..", "alpha", "beta", "a.tzx", "b.tzx"}));
  EXPECT_EQ(gadget_get_text(sorted), dir);
  // Unsorted, directories still come before files.
  EXPECT_EQ(rows(list(dir + "*.tzx", 0), 2), (Names{"", "Directory", "Directory", "File", "File"}));

  // Descending: ".." stays first, and files come before directories.
  sort(view(sorted), LIST_COLUMN_NAME);
  EXPECT_EQ(rows(sorted), (Names{"..", "b.tzx", "a.tzx", "beta", "alpha"}));
  // A text without "/" replaces only the patterns, and the fill sorts by name again.
  gadget_set_text(sorted, "*.txt;*.TZX");
  EXPECT_EQ(rows(sorted), (Names{"..", "alpha", "beta", "GAME.TZX", "c.txt"}));
  // One ending in "/" keeps them.
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

TEST_F(ExplorerList, SizeAttributesAndTimeTexts) {
  const std::vector<std::pair<off_t, std::string>> sizes = {
      {1023, "1023 Bytes"}, {1024, "1 KB"}, {1048575, "1023 KB"}, {1048576, "1 MB"},
      {5000000, "4 MB"}, {off_t(5) << 30, "5120 MB"}};  // sparse, beyond 32 bits
  Names names = {"sub"}, size_texts = {""}, attributes = {"drwxr-xr-x"};
  for (const auto& [size, text] : sizes) {
    names.push_back("f" + std::to_string(size));
    scratch_.make_file(names.back(), size, size > 5000000 ? 0600 : 0644);
    size_texts.push_back(text);
    attributes.push_back(size > 5000000 ? "-rw-------" : "-rw-r--r--");
  }
  scratch_.make_directory("sub");
  // Dated after 2038, when a 32-bit time would have overflowed.
  const struct timeval late[2] = {{4200000000, 0}, {4200000000, 0}};
  ASSERT_EQ(utimes((scratch_.path() + "f1024").c_str(), late), 0);

  const ObjectNumber sized = list(scratch_.path(), EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_PARENT);
  GadgetRecord* record = gadget_find(sized);
  ASSERT_EQ(record->type->add_column(record, "TQ_Explorer_Column_Attributes", -1, 90), 1);
  EXPECT_EQ(rows(sized), names);
  EXPECT_EQ(rows(sized, 1), size_texts);
  EXPECT_EQ(rows(sized, 4), attributes);
  EXPECT_EQ(rows(sized, 3)[2], explorer_list_time_text(4200000000));
  EXPECT_NE(rows(sized, 3)[2].find("2103"), std::string::npos);
  EXPECT_NE(explorer_list_time_text(0).back(), '\n');

  // The size column sorts by the byte count, beyond 4 GiB too.
  sort(view(sized), LIST_COLUMN_SIZE);
  EXPECT_EQ(rows(sized).front(), names.back());
  EXPECT_EQ(rows(sized).back(), "sub");
}

TEST_F(ExplorerList, FillsOfAListNotSortedByNameKeepTheSortOfAnyColumn) {
  scratch_.make_directory("d");
  scratch_.make_file("small", 10, 0666);
  scratch_.make_file("large", 5000, 0600);
  const ObjectNumber sorted = list(scratch_.path(), 0);
  GadgetRecord* record = gadget_find(sorted);
  ASSERT_EQ(record->type->add_column(record, "TQ_Explorer_Column_Attributes", -1, 90), 1);
  // Each fill brings a row the store's own sort has not seen.
  scratch_.make_file("middle", 2000, 0644);
  sort(view(sorted), LIST_COLUMN_SIZE);
  gadget_set_text(sorted, scratch_.path());
  EXPECT_EQ(rows(sorted), (Names{"..", "large", "middle", "small", "d"}));
  sort(view(sorted), LIST_COLUMN_ATTRIBUTES, GTK_SORT_ASCENDING);
  scratch_.make_file("tiny", 1, 0640);
  gadget_set_text(sorted, scratch_.path());
  EXPECT_EQ(rows(sorted), (Names{"..", "d", "large", "tiny", "middle", "small"}));
}

TEST_F(ExplorerList, MainWindowListHoldsSelectableFilesAndPostsSelections) {
  scratch_.make({"sub/", "a.tzx", "b.tzx", "c.tzx"});
  const ObjectNumber files = list(scratch_.path() + "*.tzx", MAIN_LIST_FLAGS);
  ASSERT_EQ(gadget_count_items(files), 3);
  event_test_drain();
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view(files));
  for (const char* row : {"0", "2"}) {
    GtkTreePath* path = gtk_tree_path_new_from_string(row);
    gtk_tree_selection_select_path(selection, path);
    gtk_tree_path_free(path);
  }
  for (int i = 0; i < 3; ++i) EXPECT_EQ(gadget_get_item_state(files, i), i == 1 ? 1u : 5u) << i;
  EXPECT_TRUE(event_test_contains(event_test_drain(300), EVENT_GADGET, window_));

  // Showing directories again reads the directory again.
  GadgetRecord* record = gadget_find(files);
  record->type->set_attribute(record, EXPLORER_HIDE_DIRECTORIES, 0);
  EXPECT_EQ(gadget_count_items(files), 4);
  EXPECT_EQ(gadget_get_item_state(files, 0), 2u);
}

TEST_F(ExplorerList, DoubleClickOnAFilePostsClicksButEnteringADirectoryOnlyAChange) {
  scratch_.make({"a.tzx", "sub/inner"});
  const ObjectNumber browser = list(scratch_.path(), EXPLORER_SORT_BY_NAME);
  ASSERT_TRUE(x_test_wait_mapped(GTK_WIDGET(view(browser))));
  const auto double_click = [&](int index) {
    int x = 0, y = 0;
    row_point(browser, row(browser, index), false, &x, &y);
    x_test_pump_for(600);  // longer than the double-click time: gestures stay apart
    event_test_drain();
    x_test_double_click(GTK_WIDGET(view(browser)), x, y);
    return event_test_drain(300);
  };
  std::vector<TestEvent> events = double_click(2);
  EXPECT_EQ(clicks(browser, events), (std::vector<int>{0, 0, 2}));
  for (const TestEvent& event : events) EXPECT_EQ(event.window, window_);

  events = double_click(1);
  EXPECT_EQ(gadget_get_text(browser), scratch_.path() + "sub/");
  EXPECT_EQ(rows(browser), (Names{"..", "inner"}));
  EXPECT_EQ(clicks(browser, events), std::vector<int>{GADGET_EVENT_LEFT_CLICK});
  EXPECT_TRUE(std::any_of(events.begin(), events.end(),
                          [](const TestEvent& event) { return event.data == GADGET_EVENT_CHANGE; }));
}

}  // namespace
