#include "gadgets/explorer_list.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "gadgets/explorer_list_state.h"
#include "tests/support/event_test_util.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/window.h"

namespace {

constexpr std::uint32_t MAIN_WINDOW_FLAGS = 11756;

class ExplorerList : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    event_test_init_layers();
    gadget_layer_init();
    window_ = window_open(-1, 0, 0, 900, 700, "explorer list", 0);
    ASSERT_TRUE(x_test_wait_mapped(window_handle(window_)));
  }

  void SetUp() override {
    gchar* made = g_dir_make_tmp("explist_XXXXXX", nullptr);
    ASSERT_NE(made, nullptr);
    dir_ = std::string(made) + "/";
    g_free(made);
  }

  void TearDown() override {
    if (list_) gadget_free(list_);
    event_test_drain();
    std::filesystem::remove_all(dir_);
  }

  void file(const std::string& name, off_t size = 0, mode_t mode = 0644) {
    std::string path = dir_ + name;
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr) << path;
    std::fclose(f);
    ASSERT_EQ(truncate(path.c_str(), size), 0);
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
  }
  void directory(const std::string& name) { ASSERT_EQ(mkdir((dir_ + name).c_str(), 0755), 0); }

  void create(const std::string& text, std::uint32_t flags) {
    list_ = explorer_list_create(-1, 0, 0, 700, 500, text, flags);
    ASSERT_NE(list_, 0);
  }
  GadgetRecord* record() { return gadget_find(list_); }
  GtkTreeView* view() { return GTK_TREE_VIEW(record()->widget); }

  // Cell texts as the view holds them (UTF-8).
  std::vector<std::string> column(int view_column = 0) {
    std::vector<std::string> texts;
    for (int i = 0; i < gadget_count_items(list_); ++i)
      texts.push_back(record()->type->get_item_text(record(), i, view_column));
    return texts;
  }

  // A point inside row `row` of the first column, relative to the view.
  void row_point(int row, int* x, int* y) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    GdkRectangle cell;
    gtk_tree_view_get_cell_area(view(), path, gtk_tree_view_get_column(view(), 0), &cell);
    gtk_tree_path_free(path);
    gtk_tree_view_convert_bin_window_to_widget_coords(view(), cell.x + 40,
                                                      cell.y + cell.height / 2, x, y);
  }
  std::vector<int> click_data(const std::vector<TestEvent>& events) {
    std::vector<int> data;
    for (const TestEvent& e : events)
      if (e.kind == EVENT_GADGET && e.gadget == list_ && e.data <= 3) data.push_back(e.data);
    return data;
  }
  std::vector<TestEvent> drain() { return event_test_drain(300); }

  static ObjectNumber window_;
  std::string dir_;
  ObjectNumber list_ = 0;
};
ObjectNumber ExplorerList::window_ = 0;

using Names = std::vector<std::string>;

TEST_F(ExplorerList, ListsParentDirectoriesThenMatchingFilesSortedByName) {
  directory("beta");
  directory("alpha");
  file("b.tzx");
  file("a.tzx");
  file("c.txt");
  file(".hidden.tzx");
  file("GAME.TZX");
  create(dir_ + "*.tzx", EXPLORER_SORT_BY_NAME);
  EXPECT_EQ(column(), (Names{"..", "alpha", "beta", "a.tzx", "b.tzx"}));
  EXPECT_EQ(gadget_get_text(list_), dir_);
  EXPECT_EQ(column(2), (Names{"", "Directory", "Directory", "File", "File"}));

  // A text without "/" replaces only the patterns; one ending in "/" keeps them.
  gadget_set_text(list_, "*.txt;*.TZX");
  EXPECT_EQ(column(), (Names{"..", "alpha", "beta", "GAME.TZX", "c.txt"}));
  gadget_set_text(list_, dir_ + "alpha/");
  EXPECT_EQ(column(), (Names{".."}));
  EXPECT_EQ(gadget_get_text(list_), dir_ + "alpha/");

  // The root never shows "..".
  gadget_set_text(list_, "/");
  EXPECT_NE(gadget_get_item_text(list_, 0), "..");

  // An index equal to the row count names no row.
  int count = gadget_count_items(list_);
  EXPECT_EQ(gadget_get_item_state(list_, count), 0u);
  EXPECT_EQ(gadget_get_item_text(list_, count), "");
  EXPECT_EQ(gadget_get_item_text(list_, 0, 4), "");  // no fifth column
}

TEST_F(ExplorerList, UnsortedRowsKeepReadingOrderBehindTheParent) {
  directory("d1");
  directory("d2");
  file("f1");
  file("f2");
  create(dir_, 0);
  Names rows = column();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], "..");
  EXPECT_EQ(rows[1][0], 'd');
  EXPECT_EQ(rows[2][0], 'd');
  EXPECT_EQ(rows[3][0], 'f');
  EXPECT_EQ(rows[4][0], 'f');
}

TEST_F(ExplorerList, SizeAttributeAndTimeTexts) {
  file("a1023", 1023);
  file("b1024", 1024);
  file("c1048575", 1048575);
  file("d1048576", 1048576);
  file("e5000000", 5000000);
  file("f5GiB", off_t(5) << 30, 0600);  // sparse
  directory("sub");
  // Dated after 2038, when a 32-bit time would have overflowed.
  struct timeval late[2] = {{4200000000, 0}, {4200000000, 0}};
  ASSERT_EQ(utimes((dir_ + "b1024").c_str(), late), 0);
  create(dir_, EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_PARENT);
  ASSERT_EQ(record()->type->add_column(record(), "TQ_Explorer_Column_Attributes", -1, 90), 1);
  EXPECT_EQ(column(0), (Names{"sub", "a1023", "b1024", "c1048575", "d1048576", "e5000000",
                              "f5GiB"}));
  EXPECT_EQ(column(1), (Names{"", "1023 Bytes", "1 KB", "1023 KB", "1 MB", "4 MB", "5120 MB"}));
  EXPECT_EQ(column(4), (Names{"drwxr-xr-x", "-rw-r--r--", "-rw-r--r--", "-rw-r--r--",
                              "-rw-r--r--", "-rw-r--r--", "-rw-------"}));
  EXPECT_EQ(column(3)[2], explorer_list_time_text(4200000000));
  EXPECT_NE(column(3)[2].find("2103"), std::string::npos);
  EXPECT_EQ(explorer_list_time_text(0).back() != '\n', true);

  // The size column sorts by the byte count, beyond 4 GiB too.
  gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(gtk_tree_view_get_model(view())),
                                       LIST_COLUMN_SIZE, GTK_SORT_DESCENDING);
  EXPECT_EQ(column(0)[0], "f5GiB");
  EXPECT_EQ(column(0).back(), "sub");  // files before directories when descending
}

TEST_F(ExplorerList, DescendingHeaderClickKeepsParentFirstAndFilesBeforeDirectories) {
  directory("d");
  file("a");
  file("b");
  create(dir_, EXPLORER_SORT_BY_NAME);
  ASSERT_TRUE(x_test_wait_mapped(GTK_WIDGET(view())));
  EXPECT_EQ(column(), (Names{"..", "d", "a", "b"}));
  x_test_click(gtk_tree_view_get_column(view(), 0)->button, 10, 5);
  EXPECT_EQ(column(), (Names{"..", "b", "a", "d"}));
  // The next fill of a list sorted by name sorts by name again.
  gadget_set_text(list_, dir_);
  EXPECT_EQ(column(), (Names{"..", "d", "a", "b"}));
}

TEST_F(ExplorerList, MainWindowListHoldsOnlySelectableFiles) {
  directory("sub");
  file("a.tzx");
  file("b.tzx");
  file("c.tzx");
  create(dir_ + "*.tzx", MAIN_WINDOW_FLAGS);
  ASSERT_EQ(gadget_count_items(list_), 3);
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view());
  GtkTreePath* first = gtk_tree_path_new_from_indices(0, -1);
  gtk_tree_selection_select_path(selection, first);
  gtk_tree_path_free(first);
  GtkTreePath* third = gtk_tree_path_new_from_indices(2, -1);
  gtk_tree_selection_select_path(selection, third);
  gtk_tree_path_free(third);
  EXPECT_EQ(gadget_get_item_state(list_, 0), 5u);
  EXPECT_EQ(gadget_get_item_state(list_, 1), 1u);
  EXPECT_EQ(gadget_get_item_state(list_, 2), 5u);
  EXPECT_EQ(record()->type->get_state(record()), 0);
  std::vector<TestEvent> events = drain();
  EXPECT_TRUE(event_test_contains(events, EVENT_GADGET, window_));

  // Attribute values: 4 is accepted and inert, unknown values are refused.
  EXPECT_EQ(record()->type->get_attribute(record(), 4), 1);
  EXPECT_EQ(record()->type->get_attribute(record(), 2048), 0);
  record()->type->set_attribute(record(), EXPLORER_HIDE_DIRECTORIES, 0);
  EXPECT_EQ(gadget_count_items(list_), 4);
  EXPECT_EQ(gadget_get_item_state(list_, 0), 2u);
}

TEST_F(ExplorerList, DoubleClickEntersADirectoryWithoutADoubleClickEvent) {
  directory("sub");
  file("sub/inner");
  create(dir_, EXPLORER_SORT_BY_NAME);
  ASSERT_TRUE(x_test_wait_mapped(GTK_WIDGET(view())));
  drain();
  int x, y;
  row_point(1, &x, &y);
  x_test_double_click(GTK_WIDGET(view()), x, y);
  std::vector<TestEvent> events = drain();
  EXPECT_EQ(gadget_get_text(list_), dir_ + "sub/");
  EXPECT_EQ(column(), (Names{"..", "inner"}));
  EXPECT_EQ(click_data(events), std::vector<int>{0});
  EXPECT_TRUE(std::any_of(events.begin(), events.end(), [&](const TestEvent& e) {
    return e.kind == EVENT_GADGET && e.gadget == list_ && e.data == GADGET_EVENT_CHANGE;
  }));

  // ".." leads back.
  row_point(0, &x, &y);
  x_test_double_click(GTK_WIDGET(view()), x, y);
  drain();
  EXPECT_EQ(gadget_get_text(list_), dir_);
}

TEST_F(ExplorerList, DoubleClickOnAFilePostsTwoClicksAndADoubleClick) {
  file("a.tzx");
  create(dir_ + "*.tzx", MAIN_WINDOW_FLAGS);
  ASSERT_TRUE(x_test_wait_mapped(GTK_WIDGET(view())));
  drain();
  int x, y;
  row_point(0, &x, &y);
  x_test_double_click(GTK_WIDGET(view()), x, y);
  std::vector<TestEvent> events = drain();
  EXPECT_EQ(click_data(events), (std::vector<int>{0, 0, 2}));
  for (const TestEvent& e : events) EXPECT_EQ(e.window, window_);

  x_test_click(GTK_WIDGET(view()), x, y, 3);
  EXPECT_EQ(click_data(drain()), std::vector<int>{1});
}

TEST_F(ExplorerList, NamesBeyondLatin1AndInvalidUtf8StayReachable) {
  const Names disk = {"caf\xc3\xa9.tzx", "\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97.tzx",
                      "caf\xe9.tzx"};
  for (const std::string& name : disk) file(name, 10);
  directory("d\xe9mos");
  file("d\xe9mos/x.tzx");
  create(dir_ + "*.tzx", EXPLORER_SORT_BY_NAME);
  ASSERT_EQ(gadget_count_items(list_), 5);
  Names found;
  for (int row = 1; row < 5; ++row) {
    std::string shown = record()->type->get_item_text(record(), row, 0);
    EXPECT_TRUE(g_utf8_validate(shown.c_str(), -1, nullptr)) << shown;
    EXPECT_FALSE(shown.empty());
    std::string path = explorer_list_item_path(list_, row);
    EXPECT_EQ(path, dir_ + explorer_list_item_name(list_, row));
    struct stat status;
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    found.push_back(explorer_list_item_name(list_, row));
  }
  std::sort(found.begin(), found.end());
  Names expected = disk;
  expected.push_back("d\xe9mos");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);

  // Entering the directory whose name is not UTF-8 opens it.
  GtkTreePath* path = gtk_tree_path_new_from_indices(1, -1);
  gtk_tree_view_row_activated(view(), path, gtk_tree_view_get_column(view(), 0));
  gtk_tree_path_free(path);
  EXPECT_EQ(explorer_list_directory_path(list_), dir_ + "d\xe9mos/");
  EXPECT_EQ(column(), (Names{"..", "x.tzx"}));
  std::string shown = record()->type->get_text(record());
  EXPECT_TRUE(g_utf8_validate(shown.c_str(), -1, nullptr));
  EXPECT_EQ(explorer_list_item_name(list_, 2), "");
  EXPECT_EQ(explorer_list_item_name(0, 0), "");

  // A directory named beyond Latin-1 is listed from its bytes.
  directory("\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97");
  file("\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97/y.tzx");
  explorer_list_set_path(list_, dir_ + "\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97/");
  EXPECT_EQ(column(), (Names{"..", "y.tzx"}));
  EXPECT_EQ(explorer_list_item_path(list_, 1),
            dir_ + "\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97/y.tzx");
}

TEST_F(ExplorerList, BrokenEntriesAreLeftOutAndUnreadableDirectoriesShowTheRoot) {
  directory("locked");
  ASSERT_EQ(symlink("nowhere", (dir_ + "dangling").c_str()), 0);
  ASSERT_EQ(symlink("..", (dir_ + "loop").c_str()), 0);
  ASSERT_EQ(symlink("self", (dir_ + "self").c_str()), 0);
  file("plain");
  create(dir_, EXPLORER_SORT_BY_NAME);
  EXPECT_EQ(column(), (Names{"..", "locked", "loop", "plain"}));
  // A link back to a parent is entered like any directory, without a hang.
  for (int i = 0; i < 3; ++i) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(2, -1);
    gtk_tree_view_row_activated(view(), path, gtk_tree_view_get_column(view(), 0));
    gtk_tree_path_free(path);
  }
  EXPECT_EQ(gadget_count_items(list_) > 0, true);

  if (geteuid() != 0) {
    ASSERT_EQ(chmod((dir_ + "locked").c_str(), 0), 0);
    gadget_set_text(list_, dir_ + "locked/");
    EXPECT_EQ(gadget_get_text(list_), "/");
    EXPECT_NE(gadget_get_item_text(list_, 0), "..");
    chmod((dir_ + "locked").c_str(), 0755);
  }
}

TEST_F(ExplorerList, FillsAHundredThousandEntries) {
  // In memory where there is a file system for it: creating 100,000 files on
  // a disk costs far more than listing them.
  if (access("/dev/shm", W_OK) == 0) {
    std::filesystem::remove_all(dir_);
    gchar* made = g_mkdtemp(g_strdup("/dev/shm/explist_XXXXXX"));
    ASSERT_NE(made, nullptr);
    dir_ = std::string(made) + "/";
    g_free(made);
  }
  for (int i = 0; i < 100000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%06d.tzx", (i * 7919) % 100000);
    int fd = open((dir_ + name).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    close(fd);
  }
  auto start = std::chrono::steady_clock::now();
  create(dir_ + "*.tzx", MAIN_WINDOW_FLAGS);
  x_test_pump();
  auto spent = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(gadget_count_items(list_), 100000);
  EXPECT_EQ(gadget_get_item_text(list_, 0), "f000000.tzx");
  EXPECT_EQ(gadget_get_item_text(list_, 99999), "f099999.tzx");
  EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(spent).count(), 60);
}

TEST_F(ExplorerList, ColumnsCanBeAddedRemovedAndSized) {
  file("a");
  create(dir_, EXPLORER_HIDE_PARENT);
  GadgetRecord* r = record();
  ASSERT_EQ(r->type->add_column(r, "Notes", -1, 80), 1);
  EXPECT_EQ(gadget_get_item_text(list_, -1, 4), "Notes");
  r->type->set_item_text(r, 0, "first", 4);
  EXPECT_EQ(gadget_get_item_text(list_, 0, 4), "first");
  EXPECT_EQ(gadget_get_item_text(list_, 0, 0), "a");  // the other cells survived the widening
  EXPECT_EQ(gadget_get_item_text(list_, 0, 2), "File");

  // (The last column takes up the rest of the view.)
  r->type->set_item_attribute(r, 0, EXPLORER_LIST_COLUMN_WIDTH, 123, 1);
  x_test_pump();
  EXPECT_EQ(r->type->get_item_attribute(r, 0, EXPLORER_LIST_COLUMN_WIDTH, 1), 123);
  EXPECT_EQ(r->type->get_item_attribute(r, 0, 1, 4), 0);

  // Removing the custom column frees its model column for the next one.
  r->type->remove_column(r, 4);
  int model_columns = gtk_tree_model_get_n_columns(gtk_tree_view_get_model(view()));
  ASSERT_EQ(r->type->add_column(r, "More", 0, 60), 1);
  EXPECT_EQ(gtk_tree_model_get_n_columns(gtk_tree_view_get_model(view())), model_columns);
  EXPECT_EQ(gadget_get_item_text(list_, 0, 0), "");
  EXPECT_EQ(gadget_get_item_text(list_, 0, 1), "a");
  r->type->remove_column(r, 0);
  EXPECT_EQ(gadget_get_item_text(list_, -1, 0), "Name");
  r->type->remove_column(r, 9);  // no such column: nothing
  EXPECT_EQ(gadget_get_item_text(list_, -1, 3), "Modified");
}

}  // namespace
