// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_EXPLORER_TREE_MODEL_H_
#define OSTRELM_GADGETS_EXPLORER_TREE_MODEL_H_

// Inside the explorer tree: its tree store, the data it keeps on its tree
// view, and the top-level nodes. Shared by the tree's own files only.
//
// Store columns are those of gadgets/explorer_common.h: kind, stock icon and
// the name as shown. A placeholder row holds only its kind.

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "gadgets/directory_scan.h"
#include "gadgets/explorer_common.h"

// Object data key of the on-disk names of the rows whose shown name differs.
inline constexpr const char* EXPLORER_TREE_KEY_DISK_NAMES = "tq_disk_names";

// A store with the three columns of the tree.
GtkTreeStore* explorer_tree_store_new();

GtkTreeModel* explorer_tree_model(GtkTreeView* view);
GtkTreeStore* explorer_tree_store(GtkTreeView* view);

// Gives the view its pattern list ("tq_pattern", empty: every file) and its
// on-disk names; explorer_tree_release_data frees them.
void explorer_tree_attach_data(GtkTreeView* view);
void explorer_tree_release_data(GtkTreeView* view);
PatternList& explorer_tree_patterns(GtkTreeView* view);
ExplorerDiskNames& explorer_tree_disk_names(GtkTreeView* view);

// The directory named by "HOME", ending with "/"; "" when "HOME" is not set
// or empty, so that no path is ever formed from a missing value.
std::string explorer_tree_home_directory();

// The label of the home node: the stock item "gtk-home" without its mnemonic
// underscores, or "Home". Chosen at the first call.
const std::string& explorer_tree_home_label();

// The on-disk name of a node ("/" for the root).
std::string explorer_tree_node_name(GtkTreeView* view, GtkTreeIter* node);

// Inserts a node below parent (nullptr: top level) at `position` (-1: last);
// with `expandable` it gets a placeholder child.
void explorer_tree_insert_node(GtkTreeStore* store, GtkTreeIter* parent, int position,
                               GtkTreeIter* node, int kind, const char* icon, const char* text,
                               bool expandable);

// Empties the store and adds the top-level nodes: the root, read at once and
// expanded, then the home node unless the flags hide it or "HOME" is not set.
void explorer_tree_build(GtkTreeView* view);

// Installs the comparison for sort column id 2 that the flags ask for:
// kind then name with EXPLORER_SORT_BY_NAME, else kind only.
void explorer_tree_set_sort_function(GtkTreeView* view);

// Appends the one view column (icon and name) and puts the view into fixed
// height mode, with a column that keeps the width of its widest row.
void explorer_tree_column_add(GtkTreeView* view);

// Makes the column as narrow as it goes, for a tree built anew.
void explorer_tree_column_reset(GtkTreeView* view);

// Widens the column, if needed, for rows at a depth (1: top level) that show
// these names.
void explorer_tree_column_fit(GtkTreeView* view, int depth,
                              const std::vector<const char*>& shown_names);

// Walks from the root along an absolute directory path (bytes, or a program
// string converted to UTF-8), reading and expanding each node found, and
// selects the deepest; at least the root. The pattern list is not touched.
void explorer_tree_show_path(GtkTreeView* view, const std::string& directory);

#endif  // OSTRELM_GADGETS_EXPLORER_TREE_MODEL_H_
