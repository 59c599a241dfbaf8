// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/explorer_list_order.h"

#include <algorithm>
#include <cstring>

#include "gadgets/explorer_list_state.h"

namespace {

GtkTreeModel* store_in_order = nullptr;

// The text an entry's row holds in a string column; "" where it holds none,
// as explorer_compare_texts reads a missing string.
const char* entry_text(const ExplorerListEntry& entry, int column) {
  const bool directory = entry.kind == ENTRY_DIRECTORY;
  switch (column) {
    case LIST_COLUMN_ICON:
      return directory ? explorer_icons().directory : explorer_icons().file;
    case LIST_COLUMN_NAME:
      return entry.name.shown.c_str();
    case LIST_COLUMN_SIZE_TEXT:
      return entry.size_text.c_str();
    case LIST_COLUMN_TYPE:
      return directory ? "Directory" : "File";
    case LIST_COLUMN_ATTRIBUTES:
      return entry.attributes.c_str();
    case LIST_COLUMN_MODIFIED_TEXT:
      return entry.modified->c_str();
    case LIST_COLUMN_ACCESSED_TEXT:
      return entry.accessed->c_str();
    default:  // custom columns are empty after a fill
      return "";
  }
}

template <typename T>
int compare_values(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// explorer_sort_compare for two rows that are not "..".
int compare_entries(const ExplorerListEntry& a, const ExplorerListEntry& b, int column) {
  if (a.kind != b.kind) return a.kind - b.kind;
  switch (column) {
    case LIST_COLUMN_SIZE:
      return compare_values(a.size, b.size);
    case LIST_COLUMN_MODIFIED:
      return compare_values<std::int64_t>(a.modified_time, b.modified_time);
    case LIST_COLUMN_ACCESSED:
      return compare_values<std::int64_t>(a.accessed_time, b.accessed_time);
    default:
      return std::strcmp(entry_text(a, column), entry_text(b, column));
  }
}

}  // namespace

std::vector<const ExplorerListEntry*> explorer_list_order(
    const std::vector<ExplorerListEntry>& entries, int sort_id, GtkSortType order) {
  std::vector<const ExplorerListEntry*> rows;
  rows.reserve(entries.size());
  for (const ExplorerListEntry& entry : entries) rows.push_back(&entry);
  auto by_kind = [](const ExplorerListEntry* a, const ExplorerListEntry* b) {
    return a->kind < b->kind;
  };
  if (sort_id < 0) {
    std::stable_sort(rows.begin(), rows.end(), by_kind);
  } else if (order == GTK_SORT_ASCENDING) {
    std::stable_sort(rows.begin(), rows.end(), [sort_id](auto a, auto b) {
      return compare_entries(*a, *b, sort_id) < 0;
    });
  } else {
    // GTK turns the comparison round for a descending sort; equal rows stay.
    std::stable_sort(rows.begin(), rows.end(), [sort_id](auto a, auto b) {
      return compare_entries(*a, *b, sort_id) > 0;
    });
  }
  return rows;
}

ExplorerListInOrder::ExplorerListInOrder(GtkTreeModel* store) { store_in_order = store; }

ExplorerListInOrder::~ExplorerListInOrder() { store_in_order = nullptr; }

bool explorer_list_in_order(GtkTreeModel* model) {
  return model && model == store_in_order;
}
