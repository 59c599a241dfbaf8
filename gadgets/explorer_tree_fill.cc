// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a directory node: its entries become child nodes, directories with
// something to show inside get a placeholder so that GTK draws an expander.
#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gadgets/directory_scan.h"
#include "gadgets/explorer_tree.h"
#include "gadgets/explorer_tree_model.h"

namespace {

struct ChildEntry {
  int kind;
  ExplorerName name;
  bool expandable;
};

// Whether a directory has at least one entry to show. Reads only up to that
// entry: a directory of thousands of files costs one readdir, not thousands.
bool directory_has_entries(const std::string& path, const PatternList& patterns,
                           std::uint32_t flags) {
  DirectoryStream dir = directory_open(path);
  return dir && directory_next_entry(dir.get(), path, patterns, flags, nullptr, nullptr);
}

// The entries of a directory, directories first, each group in reading order.
std::vector<ChildEntry> directory_children(const std::string& path, const PatternList& patterns,
                                           std::uint32_t flags) {
  std::vector<ChildEntry> directories;
  std::vector<ChildEntry> files;
  DirectoryStream dir = directory_open(path);
  struct stat status;
  std::string full_path;
  while (const struct dirent* entry =
             directory_next_entry(dir.get(), path, patterns, flags, &status, &full_path)) {
    const bool is_directory = S_ISDIR(status.st_mode);
    ChildEntry child{is_directory ? ENTRY_DIRECTORY : ENTRY_FILE, explorer_name(entry->d_name),
                     is_directory && directory_has_entries(full_path, patterns, flags)};
    (is_directory ? directories : files).push_back(std::move(child));
  }
  directories.insert(directories.end(), std::make_move_iterator(files.begin()),
                     std::make_move_iterator(files.end()));
  return directories;
}

// Kind, then the name as shown, in byte order: the order of the store's own
// kind-then-name comparison.
void sort_children(std::vector<ChildEntry>& children) {
  std::stable_sort(children.begin(), children.end(),
                   [](const ChildEntry& a, const ChildEntry& b) {
                     if (a.kind != b.kind) return a.kind < b.kind;
                     return std::strcmp(a.name.shown.c_str(), b.name.shown.c_str()) < 0;
                   });
}

// Puts the children in front of the node's existing children. Each row goes
// in at position 0, the last first: GTK finds position 0 and computes its
// path in constant time, where appending or inserting before a sibling costs
// a walk along all the siblings, which would make a large directory quadratic.
void insert_children(GtkTreeView* view, GtkTreeIter* node,
                     const std::vector<ChildEntry>& children) {
  GtkTreeStore* store = explorer_tree_store(view);
  ExplorerDiskNames& disk_names = explorer_tree_disk_names(view);
  const ExplorerIcons& icons = explorer_icons();
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    GtkTreeIter row;
    explorer_tree_insert_node(store, node, 0, &row, child->kind,
                              child->kind == ENTRY_DIRECTORY ? icons.directory : icons.file,
                              child->name.shown.c_str(), child->expandable);
    disk_names.remember(row, child->name);
  }
}

void fit_column(GtkTreeView* view, GtkTreeIter* node, const std::vector<ChildEntry>& children) {
  std::vector<const char*> names;
  names.reserve(children.size());
  for (const ChildEntry& child : children) names.push_back(child.name.shown.c_str());
  GtkTreePath* path = gtk_tree_model_get_path(explorer_tree_model(view), node);
  explorer_tree_column_fit(view, gtk_tree_path_get_depth(path) + 1, names);
  gtk_tree_path_free(path);
}

}  // namespace

void explorer_tree_fill_node(GtkTreeView* view, GtkTreeIter* node) {
  GtkTreeModel* model = explorer_tree_model(view);
  const int kind = explorer_row_kind(model, node);
  if (kind != ENTRY_DIRECTORY && kind != ENTRY_HOME) return;
  GtkTreeIter placeholder;
  if (!gtk_tree_model_iter_children(model, &placeholder, node) ||
      explorer_row_kind(model, &placeholder) != ENTRY_PLACEHOLDER)
    return;

  // A node without a path (home while "HOME" is unset) is read as empty.
  const std::string path = explorer_tree_node_path(view, node);
  const std::uint32_t flags = explorer_flags(GTK_WIDGET(view));
  std::vector<ChildEntry> children;
  if (!path.empty()) children = directory_children(path, explorer_tree_patterns(view), flags);
  if (flags & EXPLORER_SORT_BY_NAME) sort_children(children);
  // The children go in before the placeholder goes: a node that lost its last
  // child would be collapsed by the view.
  insert_children(view, node, children);
  gtk_tree_store_remove(explorer_tree_store(view), &placeholder);
  fit_column(view, node, children);
}
