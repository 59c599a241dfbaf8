// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_EXPLORER_LIST_ORDER_H_
#define OSTRELM_GADGETS_EXPLORER_LIST_ORDER_H_

// The row order of a fill, worked out before the rows go into the store.
//
// A GtkListStore sorts by calling the column's compare function about
// n log n times, each call reading values back out of the store; for tens of
// thousands of rows that outweighs reading the directory. A fill knows every
// row's values beforehand, so it sorts them in memory the way
// explorer_sort_compare would, and inserts the rows in their final order into
// a store that already has its sort column. While the fill inserts, the
// store's compare function calls every pair of that store's rows equal, so
// GTK leaves each row where it was put (a row equal to its neighbour does not
// move) at the cost of one comparison instead of a search.

#include <gtk/gtk.h>
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "gadgets/explorer_common.h"

// One directory entry as its row will hold it.
struct ExplorerListEntry {
  int kind;                     // ENTRY_DIRECTORY or ENTRY_FILE
  ExplorerName name;
  std::string size_text;        // "" for a directory (its cell holds no text)
  std::string attributes;
  const std::string* modified;  // time texts, shared by the rows with the same time
  const std::string* accessed;
  std::int64_t size;            // as the size column holds it: 0 for a directory
  std::time_t modified_time;
  std::time_t accessed_time;
};

// The entries in the order a store sorted by `sort_id` (a model column, or
// GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID) in `order` shows them behind the
// ".." row: GTK's sort is stable, so rows it calls equal keep the order of an
// unsorted fill, directories before files, each in reading order.
std::vector<const ExplorerListEntry*> explorer_list_order(
    const std::vector<ExplorerListEntry>& entries, int sort_id, GtkSortType order);

// While this lives, explorer_list_in_order(store) is true.
class ExplorerListInOrder {
 public:
  explicit ExplorerListInOrder(GtkTreeModel* store);
  ~ExplorerListInOrder();
  ExplorerListInOrder(const ExplorerListInOrder&) = delete;
  ExplorerListInOrder& operator=(const ExplorerListInOrder&) = delete;
};

// Whether a fill is inserting rows into `model` in their final order.
bool explorer_list_in_order(GtkTreeModel* model);

#endif  // OSTRELM_GADGETS_EXPLORER_LIST_ORDER_H_
