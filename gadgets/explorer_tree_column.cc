// SPDX-License-Identifier: GPL-3.0-or-later
// The explorer tree's one view column: the icon, then the name.
//
// GTK measures every row of an automatically sized column before it settles,
// which for a directory of thousands of entries costs many times the reading
// of the directory. All rows of the tree have the height of one line of text
// beside a menu icon, so the view runs in fixed height mode instead, with a
// column of fixed width that grows to fit the widest row shown so far.
#include <gtk/gtk.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gadgets/explorer_tree_model.h"

namespace {

// Only the names with the most characters are measured: the widest name of a
// directory is practically always among its longest, and measuring each of
// thousands of names would cost much of what fixed height mode saves.
constexpr std::size_t kMeasuredNames = 64;
// Room for rounding and the focus line.
constexpr int kWidthMargin = 8;

GtkTreeViewColumn* name_column(GtkTreeView* view) { return gtk_tree_view_get_column(view, 0); }

int text_width(GtkTreeView* view, const char* text) {
  PangoLayout* layout = gtk_widget_create_pango_layout(GTK_WIDGET(view), text);
  int width = 0;
  pango_layout_get_pixel_size(layout, &width, nullptr);
  g_object_unref(layout);
  return width;
}

// Width of a row at a depth (1 for the top level) apart from its text: the
// indentation with the expanders, the icon and the paddings.
int row_width_without_text(GtkTreeView* view, int depth) {
  gint expander_size = 0, separator = 0, icon_width = 0, icon_height = 0;
  gtk_widget_style_get(GTK_WIDGET(view), "expander-size", &expander_size, "horizontal-separator",
                       &separator, nullptr);
  gtk_icon_size_lookup(GTK_ICON_SIZE_MENU, &icon_width, &icon_height);
  // GTK pads every expander by 4 pixels.
  const int indentation = depth * (expander_size + 4) +
                          (depth - 1) * gtk_tree_view_get_level_indentation(view) + separator;
  int paddings = 0;
  GList* renderers = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(name_column(view)));
  for (GList* cell = renderers; cell; cell = cell->next) {
    guint xpad = 0;
    g_object_get(cell->data, "xpad", &xpad, nullptr);
    paddings += 2 * static_cast<int>(xpad);
  }
  g_list_free(renderers);
  return indentation + icon_width + paddings + kWidthMargin;
}

void widen_column(GtkTreeView* view, int width) {
  if (width > gtk_tree_view_column_get_fixed_width(name_column(view)))
    gtk_tree_view_column_set_fixed_width(name_column(view), width);
}

int depth_of(GtkTreeModel* model, GtkTreeIter* node) {
  GtkTreePath* path = gtk_tree_model_get_path(model, node);
  const int depth = gtk_tree_path_get_depth(path);
  gtk_tree_path_free(path);
  return depth;
}

// Fits the column to every row below parent (nullptr: all rows).
void fit_rows_below(GtkTreeView* view, GtkTreeIter* parent) {
  GtkTreeModel* model = explorer_tree_model(view);
  GtkTreeIter child;
  if (!gtk_tree_model_iter_children(model, &child, parent)) return;
  std::vector<std::string> names;
  do {
    gchar* name = nullptr;
    gtk_tree_model_get(model, &child, EXPLORER_COLUMN_NAME, &name, -1);
    if (name) names.push_back(name);
    g_free(name);
    fit_rows_below(view, &child);
  } while (gtk_tree_model_iter_next(model, &child));
  std::vector<const char*> texts;
  for (const std::string& name : names) texts.push_back(name.c_str());
  explorer_tree_column_fit(view, parent ? depth_of(model, parent) + 1 : 1, texts);
}

// A new font changes every width.
void style_set(GtkWidget* widget, GtkStyle*, gpointer) {
  GtkTreeView* view = GTK_TREE_VIEW(widget);
  explorer_tree_column_reset(view);
  fit_rows_below(view, nullptr);
}

}  // namespace

void explorer_tree_column_add(GtkTreeView* view) {
  GtkTreeViewColumn* column = gtk_tree_view_column_new();
  GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
  gtk_tree_view_column_pack_start(column, icon, FALSE);
  gtk_tree_view_column_add_attribute(column, icon, "stock-id", EXPLORER_COLUMN_ICON);
  GtkCellRenderer* name = gtk_cell_renderer_text_new();
  gtk_tree_view_column_pack_end(column, name, TRUE);
  gtk_tree_view_column_add_attribute(column, name, "text", EXPLORER_COLUMN_NAME);
  gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_append_column(view, column);
  explorer_tree_column_reset(view);
  gtk_tree_view_set_fixed_height_mode(view, TRUE);
  g_signal_connect(view, "style-set", G_CALLBACK(style_set), nullptr);
}

void explorer_tree_column_reset(GtkTreeView* view) {
  gtk_tree_view_column_set_fixed_width(name_column(view), 1);
}

void explorer_tree_column_fit(GtkTreeView* view, int depth,
                              const std::vector<const char*>& shown_names) {
  std::vector<std::pair<long, const char*>> by_length;
  by_length.reserve(shown_names.size());
  for (const char* name : shown_names) by_length.emplace_back(g_utf8_strlen(name, -1), name);
  const std::size_t measured = std::min(kMeasuredNames, by_length.size());
  std::partial_sort(by_length.begin(), by_length.begin() + measured, by_length.end(),
                    [](const auto& a, const auto& b) { return a.first > b.first; });
  int widest = 0;
  for (std::size_t i = 0; i < measured; ++i)
    widest = std::max(widest, text_width(view, by_length[i].second));
  widen_column(view, row_width_without_text(view, depth) + widest);
}
