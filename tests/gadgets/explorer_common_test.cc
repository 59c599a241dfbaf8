#include "gadgets/explorer_common.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ExplorerCommon : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)); }
};

std::vector<int> release(int state, unsigned button) {
  ExplorerClickEvents events = explorer_click_release_events(state, button);
  return std::vector<int>(events.data, events.data + events.count);
}

TEST_F(ExplorerCommon, ReleaseEndsOnlyTheClickItBelongsTo) {
  using V = std::vector<int>;
  EXPECT_EQ(release(CLICK_LEFT, 1), V{0});
  EXPECT_EQ(release(CLICK_LEFT_DOUBLE, 1), (V{0, 2}));
  EXPECT_EQ(release(CLICK_OTHER, 3), V{1});
  EXPECT_EQ(release(CLICK_OTHER_DOUBLE, 3), (V{1, 3}));
  // A release of another button than the press, or of the middle button,
  // ends the click without an event.
  EXPECT_EQ(release(CLICK_LEFT, 3), V{});
  EXPECT_EQ(release(CLICK_OTHER, 1), V{});
  EXPECT_EQ(release(CLICK_OTHER_DOUBLE, 2), V{});
  EXPECT_EQ(release(CLICK_NONE, 1), V{});
}

TEST_F(ExplorerCommon, DisplayNamesAreValidUtf8AndKeepValidNames) {
  EXPECT_EQ(explorer_display_name("caf\xc3\xa9.tzx"), "caf\xc3\xa9.tzx");
  EXPECT_EQ(explorer_display_name("\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97.tzx"),
            "\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97.tzx");
  std::string latin1 = explorer_display_name("caf\xe9.tzx");
  EXPECT_TRUE(g_utf8_validate(latin1.c_str(), -1, nullptr));
  EXPECT_EQ(latin1.substr(0, 3), "caf");
  EXPECT_EQ(latin1.substr(latin1.size() - 4), ".tzx");
}

TEST_F(ExplorerCommon, IconsAreStockItems) {
  const ExplorerIcons& icons = explorer_icons();
  GtkStockItem item;
  EXPECT_TRUE(gtk_stock_lookup(icons.file, &item));
  EXPECT_TRUE(gtk_stock_lookup(icons.directory, &item));
  EXPECT_STREQ(icons.parent, "gtk-go-up");
  EXPECT_EQ(&icons, &explorer_icons());
}

TEST_F(ExplorerCommon, RowsKeepTheirDiskNamesThroughASort) {
  GtkListStore* store = gtk_list_store_new(3, G_TYPE_INT, G_TYPE_STRING, G_TYPE_STRING);
  GtkTreeModel* model = GTK_TREE_MODEL(store);
  ExplorerDiskNames names;
  const char* disk[] = {"b", "caf\xe9", "a"};
  GtkTreeIter rows[3];
  for (int i = 0; i < 3; ++i) {
    std::string shown = explorer_display_name(disk[i]);
    gtk_list_store_insert_with_values(store, &rows[i], -1, EXPLORER_COLUMN_KIND,
                                      i == 0 ? ENTRY_DIRECTORY : ENTRY_FILE,
                                      EXPLORER_COLUMN_NAME, shown.c_str(), -1);
    names.remember(rows[i], disk[i], shown);
  }
  EXPECT_FALSE(names.has(rows[0]));
  EXPECT_TRUE(names.has(rows[1]));
  EXPECT_LT(explorer_compare_kinds(model, &rows[0], &rows[1]), 0);
  EXPECT_GT(explorer_compare_texts(model, &rows[0], &rows[2], EXPLORER_COLUMN_NAME), 0);
  EXPECT_EQ(explorer_compare_texts(model, &rows[0], &rows[0], EXPLORER_COLUMN_ICON), 0);

  gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(store), EXPLORER_COLUMN_NAME,
                                       GTK_SORT_DESCENDING);
  std::vector<std::string> seen;
  GtkTreeIter row;
  for (gboolean ok = gtk_tree_model_get_iter_first(model, &row); ok;
       ok = gtk_tree_model_iter_next(model, &row))
    seen.push_back(names.name_of(model, &row, EXPLORER_COLUMN_NAME));
  EXPECT_EQ(seen, (std::vector<std::string>{"caf\xe9", "b", "a"}));
  g_object_unref(store);
}

}  // namespace
