// SPDX-License-Identifier: GPL-3.0-or-later
// The explorer tree's store, its per-view data, its top-level nodes and the
// paths of its nodes.
#include "gadgets/explorer_tree_model.h"

#include <cstdlib>
#include <vector>

#include "gadgets/explorer_tree.h"

namespace {

template <typename T>
void delete_data(gpointer data) {
  delete static_cast<T*>(data);
}

template <typename T>
T& view_data(GtkTreeView* view, const char* key) {
  return *static_cast<T*>(g_object_get_data(G_OBJECT(view), key));
}

// The path of a top-level node. The root's name is its path; the home node's
// path comes from the environment each time, so that it never outlives "HOME".
std::string top_node_path(GtkTreeView* view, GtkTreeIter* node) {
  if (explorer_row_kind(explorer_tree_model(view), node) == ENTRY_HOME)
    return explorer_tree_home_directory();
  return explorer_tree_node_name(view, node);
}

gint compare_kinds(GtkTreeModel* model, GtkTreeIter* a, GtkTreeIter* b, gpointer) {
  return explorer_compare_kinds(model, a, b);
}

gint compare_kinds_then_names(GtkTreeModel* model, GtkTreeIter* a, GtkTreeIter* b, gpointer) {
  const int kinds = explorer_compare_kinds(model, a, b);
  return kinds != 0 ? kinds : explorer_compare_texts(model, a, b, EXPLORER_COLUMN_NAME);
}

}  // namespace

GtkTreeStore* explorer_tree_store_new() {
  return gtk_tree_store_new(3, G_TYPE_INT, G_TYPE_STRING, G_TYPE_STRING);
}

GtkTreeModel* explorer_tree_model(GtkTreeView* view) { return gtk_tree_view_get_model(view); }

GtkTreeStore* explorer_tree_store(GtkTreeView* view) {
  return GTK_TREE_STORE(gtk_tree_view_get_model(view));
}

void explorer_tree_attach_data(GtkTreeView* view) {
  g_object_set_data_full(G_OBJECT(view), EXPLORER_KEY_PATTERN, new PatternList(),
                         delete_data<PatternList>);
  g_object_set_data_full(G_OBJECT(view), EXPLORER_TREE_KEY_DISK_NAMES, new ExplorerDiskNames(),
                         delete_data<ExplorerDiskNames>);
}

void explorer_tree_release_data(GtkTreeView* view) {
  g_object_set_data(G_OBJECT(view), EXPLORER_KEY_PATTERN, nullptr);
  g_object_set_data(G_OBJECT(view), EXPLORER_TREE_KEY_DISK_NAMES, nullptr);
}

PatternList& explorer_tree_patterns(GtkTreeView* view) {
  return view_data<PatternList>(view, EXPLORER_KEY_PATTERN);
}

ExplorerDiskNames& explorer_tree_disk_names(GtkTreeView* view) {
  return view_data<ExplorerDiskNames>(view, EXPLORER_TREE_KEY_DISK_NAMES);
}

std::string explorer_tree_home_directory() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) return std::string();
  std::string directory = home;
  if (directory.back() != '/') directory += '/';
  return directory;
}

const std::string& explorer_tree_home_label() {
  static const std::string label = [] {
    GtkStockItem item;
    if (!gtk_stock_lookup(GTK_STOCK_HOME, &item) || !item.label) return std::string("Home");
    // "_" marks the mnemonic and escapes itself: "__" is a plain "_".
    std::string text;
    for (const char* c = item.label; *c; ++c) {
      if (*c == '_' && !*++c) break;
      text += *c;
    }
    return text;
  }();
  return label;
}

std::string explorer_tree_node_name(GtkTreeView* view, GtkTreeIter* node) {
  return explorer_tree_disk_names(view).name_of(explorer_tree_model(view), node,
                                                EXPLORER_COLUMN_NAME);
}

void explorer_tree_insert_node(GtkTreeStore* store, GtkTreeIter* parent, int position,
                               GtkTreeIter* node, int kind, const char* icon, const char* text,
                               bool expandable) {
  gtk_tree_store_insert_with_values(store, node, parent, position, EXPLORER_COLUMN_KIND, kind,
                                    EXPLORER_COLUMN_ICON, icon, EXPLORER_COLUMN_NAME, text, -1);
  if (expandable) {
    GtkTreeIter placeholder;
    gtk_tree_store_insert_with_values(store, &placeholder, node, 0, EXPLORER_COLUMN_KIND,
                                      ENTRY_PLACEHOLDER, -1);
  }
}

void explorer_tree_build(GtkTreeView* view) {
  GtkTreeStore* store = explorer_tree_store(view);
  gtk_tree_store_clear(store);
  explorer_tree_column_reset(view);
  // Rows are identified by address; the cleared ones may come back as new rows.
  explorer_tree_disk_names(view).clear();

  GtkTreeIter root;
  explorer_tree_insert_node(store, nullptr, -1, &root, ENTRY_DIRECTORY,
                            explorer_icons().directory, "/", true);
  explorer_tree_fill_node(view, &root);
  if (!(explorer_flags(GTK_WIDGET(view)) & EXPLORER_HIDE_HOME) &&
      !explorer_tree_home_directory().empty()) {
    GtkTreeIter home;
    explorer_tree_insert_node(store, nullptr, -1, &home, ENTRY_HOME, explorer_icons().home,
                              explorer_tree_home_label().c_str(), true);
  }
  explorer_tree_column_fit(view, 1, {"/", explorer_tree_home_label().c_str()});
  GtkTreePath* first = gtk_tree_path_new_first();
  gtk_tree_view_expand_row(view, first, FALSE);
  gtk_tree_path_free(first);
}

void explorer_tree_set_sort_function(GtkTreeView* view) {
  const bool by_name = explorer_flags(GTK_WIDGET(view)) & EXPLORER_SORT_BY_NAME;
  gtk_tree_sortable_set_sort_func(GTK_TREE_SORTABLE(explorer_tree_model(view)),
                                  EXPLORER_COLUMN_NAME,
                                  by_name ? compare_kinds_then_names : compare_kinds, nullptr,
                                  nullptr);
}

std::string explorer_tree_node_path(GtkTreeView* view, GtkTreeIter* node) {
  GtkTreeModel* model = explorer_tree_model(view);
  std::vector<GtkTreeIter> below_top;  // the node and its ancestors below the top level
  GtkTreeIter current = *node;
  GtkTreeIter parent;
  while (gtk_tree_model_iter_parent(model, &parent, &current)) {
    below_top.push_back(current);
    current = parent;
  }
  std::string path = top_node_path(view, &current);
  if (path.empty()) return path;
  for (auto row = below_top.rbegin(); row != below_top.rend(); ++row) {
    path += explorer_tree_node_name(view, &*row);
    if (explorer_row_kind(model, &*row) == ENTRY_DIRECTORY) path += '/';
  }
  return path;
}
