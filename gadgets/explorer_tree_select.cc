// SPDX-License-Identifier: GPL-3.0-or-later
// Setting the tree's text: a new pattern list and/or a walk from the root
// along a directory path, reading and expanding each node on the way.
#include <gtk/gtk.h>

#include <string>

#include "gadgets/directory_scan.h"
#include "gadgets/explorer_tree.h"
#include "gadgets/explorer_tree_model.h"
#include "toolkit/event_queue.h"

namespace {

// Splits the text into a directory ("" for none) and the pattern list. A
// path with "/" but neither wildcard nor final "/" names a file or a directory
// given without its "/": all of it is walked, and the patterns stay.
std::string split_text(const std::string& text, PatternList& patterns) {
  std::string directory;
  const bool has_slash = text.find('/') != std::string::npos;
  const bool has_wildcard = text.find_first_of("*?") != std::string::npos;
  if (has_slash && !has_wildcard && text.back() != '/')
    directory = text;
  else
    split_directory_pattern(text, directory, patterns);
  return directory;
}

// Names that came in as program strings were read as ISO-8859-15 on their way
// here, so a name that is UTF-8 on disk arrives converted twice. Undoing that
// conversion gives its bytes back.
std::string undo_program_string_conversion(const std::string& component) {
  gchar* bytes = g_convert(component.data(), component.size(), "ISO-8859-15", "UTF-8",
                           nullptr, nullptr, nullptr);
  std::string result = bytes ? bytes : "";
  g_free(bytes);
  return result;
}

bool find_child_named(GtkTreeView* view, GtkTreeIter* parent, const std::string& name,
                      GtkTreeIter* found) {
  GtkTreeModel* model = explorer_tree_model(view);
  if (!gtk_tree_model_iter_children(model, found, parent)) return false;
  do {
    if (explorer_tree_node_name(view, found) == name) return true;
  } while (gtk_tree_model_iter_next(model, found));
  return false;
}

bool find_child(GtkTreeView* view, GtkTreeIter* parent, const std::string& component,
                GtkTreeIter* found) {
  if (component.empty()) return false;
  if (find_child_named(view, parent, component, found)) return true;
  const std::string bytes = undo_program_string_conversion(component);
  return !bytes.empty() && bytes != component && find_child_named(view, parent, bytes, found);
}

void open_node(GtkTreeView* view, GtkTreeIter* node) {
  explorer_tree_fill_node(view, node);
  GtkTreePath* path = gtk_tree_model_get_path(explorer_tree_model(view), node);
  gtk_tree_view_expand_row(view, path, FALSE);
  gtk_tree_path_free(path);
}

void select_node(GtkTreeView* view, GtkTreeIter* node) {
  // Let GTK lay out the rows just added before scrolling to one of them.
  events_flush();
  GtkTreePath* path = gtk_tree_model_get_path(explorer_tree_model(view), node);
  gtk_tree_selection_select_iter(gtk_tree_view_get_selection(view), node);
  gtk_tree_view_set_cursor(view, path, gtk_tree_view_get_column(view, 0), FALSE);
  gtk_tree_view_scroll_to_cell(view, path, nullptr, FALSE, 0, 0);
  gtk_tree_path_free(path);
}

}  // namespace

void explorer_tree_show_path(GtkTreeView* view, const std::string& directory) {
  GtkTreeIter current;
  if (!gtk_tree_model_get_iter_first(explorer_tree_model(view), &current)) return;
  open_node(view, &current);
  // The walk starts below the root, so only an absolute path goes anywhere.
  std::string::size_type start = 1;
  while (directory[0] == '/' && start < directory.size()) {
    std::string::size_type end = directory.find('/', start);
    if (end == std::string::npos) end = directory.size();
    GtkTreeIter child;
    if (!find_child(view, &current, directory.substr(start, end - start), &child)) break;
    current = child;
    open_node(view, &current);
    start = end + 1;
  }
  select_node(view, &current);
}

void explorer_tree_select_path(GtkTreeView* view, const std::string& text) {
  const std::string directory = split_text(text, explorer_tree_patterns(view));
  if (!directory.empty()) explorer_tree_show_path(view, directory);
}
