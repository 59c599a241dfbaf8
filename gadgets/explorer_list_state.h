// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_EXPLORER_LIST_STATE_H_
#define OSTRELM_GADGETS_EXPLORER_LIST_STATE_H_

// Inside the explorer list: its private state and the handlers that the
// explorer_list*.cc files share. Only those files and their tests use this.

#include <gtk/gtk.h>
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "gadgets/directory_scan.h"
#include "gadgets/explorer_common.h"
#include "toolkit/gadget.h"

// Model columns of the list store, in creation order.
enum ExplorerListColumn : int {
  LIST_COLUMN_KIND = EXPLORER_COLUMN_KIND,
  LIST_COLUMN_ICON = EXPLORER_COLUMN_ICON,
  LIST_COLUMN_NAME = EXPLORER_COLUMN_NAME,
  LIST_COLUMN_SIZE_TEXT = 3,
  LIST_COLUMN_TYPE = 4,
  LIST_COLUMN_ATTRIBUTES = 5,
  LIST_COLUMN_MODIFIED_TEXT = 6,
  LIST_COLUMN_ACCESSED_TEXT = 7,
  LIST_COLUMN_SIZE = 8,      // G_TYPE_UINT64: files beyond 4 GiB keep their size
  LIST_COLUMN_MODIFIED = 9,  // G_TYPE_INT64 seconds: dates before 1970 and after 2106 too
  LIST_COLUMN_ACCESSED = 10,
  LIST_COLUMN_FIRST_CUSTOM = 11,  // columns added with a custom identifier
};

// Attribute value of the column width item attribute.
constexpr int EXPLORER_LIST_COLUMN_WIDTH = 0x80000;

// Private state of one list, owned by its GadgetRecord (word4).
struct ExplorerListState {
  GtkListStore* store = nullptr;  // the tree view holds the only reference
  GtkTreeSelection* selection = nullptr;
  int column_count = 0;
  std::vector<int> column_map;          // model column of each view column
  std::vector<int> free_model_columns;  // custom model columns of removed columns
  ExplorerDiskNames disk_names;         // rows whose name is shown in another form
  std::string directory;                // as opened, ending with "/"; "" before the first fill
  PatternList patterns;                 // empty: every file
};

ExplorerListState* explorer_list_state(const GadgetRecord* record);
// A new, empty store with the columns of the list's store plus `extra`
// string columns, and the sort functions of the view's columns installed.
// nullptr if it cannot be made.
GtkListStore* explorer_list_store_renew(GadgetRecord* record, int extra);
GtkTreeView* explorer_list_view(const GadgetRecord* record);
// The record of a gadget that is an explorer list, else nullptr.
GadgetRecord* explorer_list_find(ObjectNumber number);

// Handlers of the GadgetType (explorer_list_fill.cc, _items.cc, _columns.cc,
// _events.cc).
void explorer_list_fill(GadgetRecord* record, const char* text);
std::string explorer_list_get_text(GadgetRecord* record);
int explorer_list_get_state(GadgetRecord* record);
int explorer_list_count_items(GadgetRecord* record);
std::uint32_t explorer_list_get_item_state(GadgetRecord* record, int item);
std::string explorer_list_get_item_text(GadgetRecord* record, int item, int column);
void explorer_list_set_item_text(GadgetRecord* record, int item, const char* text, int column);
void explorer_list_set_font(GadgetRecord* record, PangoFontDescription* font);
int explorer_list_add_column(GadgetRecord* record, const char* identifier, int position,
                             int width);
void explorer_list_remove_column(GadgetRecord* record, int index);
int explorer_list_get_attribute(GadgetRecord* record, int attribute);
void explorer_list_set_attribute(GadgetRecord* record, int attribute, int on);
int explorer_list_get_item_attribute(GadgetRecord* record, int item, int attribute, int column);
void explorer_list_set_item_attribute(GadgetRecord* record, int item, int attribute, int value,
                                      int column);

// Signal handlers (user data: the gadget number).
gboolean explorer_list_click(GtkWidget* view, GdkEventButton* event, gpointer number);
void explorer_list_activate(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn* column,
                            gpointer number);

// GtkTreeIterCompareFunc of the sortable columns (user data: the sort column
// id): ".." first in both orders, then kinds, then the column's value.
gint explorer_sort_compare(GtkTreeModel* model, GtkTreeIter* a, GtkTreeIter* b,
                           gpointer sort_column_id);

// Row texts.
std::string explorer_list_size_text(std::int64_t size);
std::string explorer_list_attributes_text(mode_t mode);
std::string explorer_list_time_text(std::time_t time);

// The directory that ".." leads to: the last component removed, the "/"
// before it kept; directories of two characters or fewer stay.
std::string explorer_list_parent_directory(const std::string& directory);

// Row `item` of the store, if it exists.
bool explorer_list_row(const ExplorerListState& state, int item, GtkTreeIter* row);

#endif  // OSTRELM_GADGETS_EXPLORER_LIST_STATE_H_
