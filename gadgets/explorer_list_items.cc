// SPDX-License-Identifier: GPL-3.0-or-later
// Reading rows back: counts, state bits and cell texts by row index.
#include "gadgets/explorer_list_state.h"

bool explorer_list_row(const ExplorerListState& state, int item, GtkTreeIter* row) {
  return item >= 0 &&
         gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(state.store), row, nullptr, item);
}

int explorer_list_count_items(GadgetRecord* record) {
  return gtk_tree_model_iter_n_children(GTK_TREE_MODEL(explorer_list_state(record)->store),
                                        nullptr);
}

std::uint32_t explorer_list_get_item_state(GadgetRecord* record, int item) {
  ExplorerListState* state = explorer_list_state(record);
  GtkTreeIter row;
  if (!explorer_list_row(*state, item, &row)) return 0;
  std::uint32_t bits = explorer_row_kind(GTK_TREE_MODEL(state->store), &row) == ENTRY_FILE
                           ? ITEM_STATE_FILE
                           : ITEM_STATE_DIRECTORY;
  if (gtk_tree_selection_iter_is_selected(state->selection, &row)) bits |= ITEM_STATE_SELECTED;
  return bits;
}

int explorer_list_get_state(GadgetRecord* record) {
  ExplorerListState* state = explorer_list_state(record);
  GList* paths = gtk_tree_selection_get_selected_rows(state->selection, nullptr);
  int first = -1;
  for (GList* link = paths; link; link = link->next) {
    int index = gtk_tree_path_get_indices(static_cast<GtkTreePath*>(link->data))[0];
    if (first < 0 || index < first) first = index;
  }
  g_list_free_full(paths, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
  return first;
}

namespace {

GtkTreeViewColumn* view_column(GadgetRecord* record, int column) {
  ExplorerListState* state = explorer_list_state(record);
  if (column < 0 || column >= state->column_count) return nullptr;
  return gtk_tree_view_get_column(explorer_list_view(record), column);
}

}  // namespace

std::string explorer_list_get_item_text(GadgetRecord* record, int item, int column) {
  GtkTreeViewColumn* view_col = view_column(record, column);
  if (!view_col) return {};
  if (item == -1) {
    const char* title = gtk_tree_view_column_get_title(view_col);
    return title ? title : "";
  }
  ExplorerListState* state = explorer_list_state(record);
  GtkTreeIter row;
  if (!explorer_list_row(*state, item, &row)) return {};
  int model_column = state->column_map[column];
  if (gtk_tree_model_get_column_type(GTK_TREE_MODEL(state->store), model_column) !=
      G_TYPE_STRING)
    return {};
  gchar* text = nullptr;
  gtk_tree_model_get(GTK_TREE_MODEL(state->store), &row, model_column, &text, -1);
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

void explorer_list_set_item_text(GadgetRecord* record, int item, const char* text, int column) {
  GtkTreeViewColumn* view_col = view_column(record, column);
  if (!view_col) return;
  if (item == -1) {
    gtk_tree_view_column_set_title(view_col, text);
    GtkWidget* label = gtk_tree_view_column_get_widget(view_col);
    if (GTK_IS_LABEL(label)) gtk_label_set_text(GTK_LABEL(label), text);
    return;
  }
  ExplorerListState* state = explorer_list_state(record);
  GtkTreeIter row;
  if (!explorer_list_row(*state, item, &row)) return;
  int model_column = state->column_map[column];
  if (gtk_tree_model_get_column_type(GTK_TREE_MODEL(state->store), model_column) !=
      G_TYPE_STRING)
    return;
  if (model_column == LIST_COLUMN_NAME && !state->disk_names.has(row)) {
    // The row still names the same file on disk after its shown name changes.
    state->disk_names.set(
        row, state->disk_names.name_of(GTK_TREE_MODEL(state->store), &row, LIST_COLUMN_NAME));
  }
  gtk_list_store_set(state->store, &row, model_column, text, -1);
}
