// SPDX-License-Identifier: GPL-3.0-or-later
// View columns of the explorer list: adding and removing them, their widths,
// header fonts, and the sort function behind their headers.
#include <algorithm>
#include <cstring>

#include "gadgets/explorer_list_order.h"
#include "gadgets/explorer_list_state.h"

namespace {

struct ColumnKind {
  const char* identifier;
  const char* title;
  int model_column;
  int sort_id;
};

// "Created" shows the modification time under the title "Modified": the file
// system records no creation time that stat could read.
const ColumnKind column_kinds[] = {
    {"TQ_Explorer_Column_Name", "Name", LIST_COLUMN_NAME, LIST_COLUMN_NAME},
    {"TQ_Explorer_Column_Size", "Size", LIST_COLUMN_SIZE_TEXT, LIST_COLUMN_SIZE},
    {"TQ_Explorer_Column_Type", "Type", LIST_COLUMN_TYPE, LIST_COLUMN_TYPE},
    {"TQ_Explorer_Column_Attributes", "Attributes", LIST_COLUMN_ATTRIBUTES,
     LIST_COLUMN_ATTRIBUTES},
    {"TQ_Explorer_Column_Created", "Modified", LIST_COLUMN_MODIFIED_TEXT, LIST_COLUMN_MODIFIED},
    {"TQ_Explorer_Column_Modified", "Modified", LIST_COLUMN_MODIFIED_TEXT, LIST_COLUMN_MODIFIED},
    {"TQ_Explorer_Column_Accessed", "Accessed", LIST_COLUMN_ACCESSED_TEXT, LIST_COLUMN_ACCESSED},
};

const ColumnKind* column_kind(const char* identifier) {
  for (const ColumnKind& kind : column_kinds)
    if (std::strcmp(kind.identifier, identifier) == 0) return &kind;
  return nullptr;
}

gint64 numeric_value(GtkTreeModel* model, GtkTreeIter* row, int column) {
  GValue value = G_VALUE_INIT;
  gtk_tree_model_get_value(model, row, column, &value);
  gint64 result = G_VALUE_HOLDS_UINT64(&value)
                      ? static_cast<gint64>(std::min<guint64>(g_value_get_uint64(&value),
                                                              G_MAXINT64))
                      : g_value_get_int64(&value);
  g_value_unset(&value);
  return result;
}

void install_sort_function(GtkListStore* store, int sort_id) {
  gtk_tree_sortable_set_sort_func(GTK_TREE_SORTABLE(store), sort_id, explorer_sort_compare,
                                  GINT_TO_POINTER(sort_id), nullptr);
}

// Copies every row of the list's store into `to` (which has at least as
// many columns), keeping the rows' on-disk names. Returns the indices of the
// selected rows.
std::vector<int> copy_rows(ExplorerListState* state, GtkListStore* to) {
  GtkTreeModel* from = GTK_TREE_MODEL(state->store);
  int columns = gtk_tree_model_get_n_columns(from);
  std::vector<gint> numbers(columns);
  std::vector<GValue> values(columns);
  ExplorerDiskNames names;
  std::vector<int> selected;
  GtkTreeIter row;
  int index = 0;
  for (gboolean more = gtk_tree_model_get_iter_first(from, &row); more;
       more = gtk_tree_model_iter_next(from, &row), ++index) {
    for (int c = 0; c < columns; ++c) {
      numbers[c] = c;
      values[c] = G_VALUE_INIT;
      gtk_tree_model_get_value(from, &row, c, &values[c]);
    }
    GtkTreeIter copy;
    gtk_list_store_insert_with_valuesv(to, &copy, -1, numbers.data(), values.data(), columns);
    for (GValue& value : values) g_value_unset(&value);
    if (state->disk_names.has(row))
      names.set(copy, state->disk_names.name_of(from, &row, LIST_COLUMN_NAME));
    if (gtk_tree_selection_iter_is_selected(state->selection, &row)) selected.push_back(index);
  }
  state->disk_names = names;
  return selected;
}

// A store with one more string column, replacing the present one. Returns the
// new column's number, or -1 when the store cannot be made.
int widen_store(GadgetRecord* record) {
  ExplorerListState* state = explorer_list_state(record);
  GtkTreeModel* old_model = GTK_TREE_MODEL(state->store);
  int columns = gtk_tree_model_get_n_columns(old_model);
  GtkListStore* store = explorer_list_store_renew(record, 1);
  if (!store) return -1;
  gint sort_id = GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID;
  GtkSortType order = GTK_SORT_ASCENDING;
  gtk_tree_sortable_get_sort_column_id(GTK_TREE_SORTABLE(old_model), &sort_id, &order);

  // The rows keep their order: they are copied in it, and sorting the copy
  // by the same column changes nothing.
  std::vector<int> selected = copy_rows(state, store);
  if (sort_id != GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID)
    gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(store), sort_id, order);
  gtk_tree_view_set_model(explorer_list_view(record), GTK_TREE_MODEL(store));
  g_object_unref(store);  // the view holds the only reference; the old store goes
  state->store = store;
  for (int index : selected) {
    GtkTreeIter row;
    if (explorer_list_row(*state, index, &row))
      gtk_tree_selection_select_iter(state->selection, &row);
  }
  return columns;
}

int take_custom_column(GadgetRecord* record) {
  ExplorerListState* state = explorer_list_state(record);
  if (!state->free_model_columns.empty()) {
    int column = state->free_model_columns.front();
    state->free_model_columns.erase(state->free_model_columns.begin());
    return column;
  }
  return widen_store(record);
}

void pack_icon(GtkTreeViewColumn* column) {
  GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
  gtk_tree_view_column_pack_start(column, icon, FALSE);
  gtk_tree_view_column_add_attribute(column, icon, "stock-id", LIST_COLUMN_ICON);
  gtk_cell_layout_reorder(GTK_CELL_LAYOUT(column), icon, 0);
}

void give_header_label(GtkWidget* view, GtkTreeViewColumn* column, const char* title) {
  if (gtk_tree_view_column_get_widget(column)) return;
  GtkWidget* label = gtk_label_new(title);
  gtk_tree_view_column_set_widget(column, label);
  gtk_widget_show(label);
  if (PangoFontDescription* font = gadget_widget_get_font(view))
    gadget_widget_set_font(label, font);
}

GtkTreeViewColumn* column_at(GadgetRecord* record, int index) {
  ExplorerListState* state = explorer_list_state(record);
  if (index < 0 || index >= state->column_count) return nullptr;
  return gtk_tree_view_get_column(explorer_list_view(record), index);
}

}  // namespace

GtkListStore* explorer_list_store_renew(GadgetRecord* record, int extra) {
  ExplorerListState* state = explorer_list_state(record);
  GtkTreeModel* model = GTK_TREE_MODEL(state->store);
  int columns = gtk_tree_model_get_n_columns(model);
  std::vector<GType> types(columns + extra, G_TYPE_STRING);
  for (int c = 0; c < columns; ++c) types[c] = gtk_tree_model_get_column_type(model, c);
  GtkListStore* store = gtk_list_store_newv(columns + extra, types.data());
  if (!store) return nullptr;
  GtkTreeView* view = explorer_list_view(record);
  for (int i = 0; i < state->column_count; ++i) {
    int sort_id = gtk_tree_view_column_get_sort_column_id(gtk_tree_view_get_column(view, i));
    if (sort_id >= 0) install_sort_function(store, sort_id);
  }
  // The sorts a list can still be asked for without a column showing them.
  gint sort_id = GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID;
  GtkSortType order = GTK_SORT_ASCENDING;
  if (gtk_tree_sortable_get_sort_column_id(GTK_TREE_SORTABLE(model), &sort_id, &order))
    install_sort_function(store, sort_id);
  if (explorer_flags(record->widget) & EXPLORER_SORT_BY_NAME)
    install_sort_function(store, LIST_COLUMN_NAME);
  return store;
}

gint explorer_sort_compare(GtkTreeModel* model, GtkTreeIter* a, GtkTreeIter* b,
                           gpointer sort_column_id) {
  // A fill puts its rows in their final order already.
  if (explorer_list_in_order(model)) return 0;
  int column = GPOINTER_TO_INT(sort_column_id);
  gint current = 0;
  GtkSortType order = GTK_SORT_ASCENDING;
  gtk_tree_sortable_get_sort_column_id(GTK_TREE_SORTABLE(model), &current, &order);
  int first = order == GTK_SORT_ASCENDING ? -1 : 1;
  int kind_a = explorer_row_kind(model, a);
  int kind_b = explorer_row_kind(model, b);
  if (kind_a == ENTRY_PARENT) return kind_b == ENTRY_PARENT ? 0 : first;
  if (kind_b == ENTRY_PARENT) return -first;
  if (kind_a != kind_b) return kind_a - kind_b;
  if (column == LIST_COLUMN_SIZE || column == LIST_COLUMN_MODIFIED ||
      column == LIST_COLUMN_ACCESSED) {
    gint64 value_a = numeric_value(model, a, column);
    gint64 value_b = numeric_value(model, b, column);
    return value_a < value_b ? -1 : value_a > value_b ? 1 : 0;
  }
  return explorer_compare_texts(model, a, b, column);
}

int explorer_list_add_column(GadgetRecord* record, const char* identifier, int position,
                             int width) {
  ExplorerListState* state = explorer_list_state(record);
  GtkTreeView* view = explorer_list_view(record);
  std::uint32_t flags = explorer_flags(record->widget);
  if (!identifier) identifier = "";
  const ColumnKind* kind = column_kind(identifier);
  const char* title = kind ? kind->title : identifier;
  int model_column = kind ? kind->model_column : take_custom_column(record);
  if (model_column < 0) return 0;
  int sort_id = kind ? kind->sort_id : model_column;

  if (position < 0 || position > state->column_count) position = state->column_count;
  if (position == 0 && state->column_count > 0) {
    // The icon always sits in the first column.
    GtkTreeViewColumn* first = gtk_tree_view_get_column(view, 0);
    gtk_tree_view_column_clear(first);
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    gtk_tree_view_column_pack_start(first, text, TRUE);
    gtk_tree_view_column_add_attribute(first, text, "text", state->column_map[0]);
  }
  GtkTreeViewColumn* column = gtk_tree_view_column_new();
  gtk_tree_view_column_set_title(column, title);
  gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_fixed_width(column, std::max(width, 1));
  gtk_tree_view_column_set_resizable(column, TRUE);
  bool fixed = flags & EXPLORER_FIXED_HEADERS;
  if (!fixed || (flags & EXPLORER_SORT_BY_NAME)) {
    install_sort_function(state->store, sort_id);
    gtk_tree_view_column_set_sort_column_id(column, sort_id);
  }
  // Giving a sort column id makes a header clickable; fixed headers stay not.
  gtk_tree_view_column_set_clickable(column, !fixed);
  if (!fixed) gtk_tree_view_column_set_sort_indicator(column, TRUE);
  if (position == 0) pack_icon(column);
  GtkCellRenderer* text = gtk_cell_renderer_text_new();
  gtk_tree_view_column_pack_end(column, text, TRUE);
  gtk_tree_view_column_add_attribute(column, text, "text", model_column);

  gtk_tree_view_insert_column(view, column, position);
  state->column_map.insert(state->column_map.begin() + position, model_column);
  ++state->column_count;
  give_header_label(record->widget, column, title);
  return 1;
}

void explorer_list_remove_column(GadgetRecord* record, int index) {
  GtkTreeViewColumn* column = column_at(record, index);
  if (!column) return;
  ExplorerListState* state = explorer_list_state(record);
  GtkTreeView* view = explorer_list_view(record);
  if (index == 0 && state->column_count > 1) pack_icon(gtk_tree_view_get_column(view, 1));
  gtk_tree_view_remove_column(view, column);
  int model_column = state->column_map[index];
  if (model_column >= LIST_COLUMN_FIRST_CUSTOM) {
    GtkTreeModel* model = GTK_TREE_MODEL(state->store);
    GtkTreeIter row;
    for (gboolean more = gtk_tree_model_get_iter_first(model, &row); more;
         more = gtk_tree_model_iter_next(model, &row))
      gtk_list_store_set(state->store, &row, model_column, nullptr, -1);
    state->free_model_columns.insert(state->free_model_columns.begin(), model_column);
  }
  state->column_map.erase(state->column_map.begin() + index);
  --state->column_count;
}

int explorer_list_get_item_attribute(GadgetRecord* record, int, int attribute, int column) {
  GtkTreeViewColumn* view_column = column_at(record, column);
  if (!view_column || attribute != EXPLORER_LIST_COLUMN_WIDTH) return 0;
  // Before the view is first laid out the column has no width yet; its fixed
  // width is what it will get.
  int width = gtk_tree_view_column_get_width(view_column);
  return width > 0 ? width : gtk_tree_view_column_get_fixed_width(view_column);
}

void explorer_list_set_item_attribute(GadgetRecord* record, int, int attribute, int value,
                                      int column) {
  GtkTreeViewColumn* view_column = column_at(record, column);
  if (!view_column || attribute != EXPLORER_LIST_COLUMN_WIDTH || value <= 0) return;
  gtk_tree_view_column_set_fixed_width(view_column, value);
}

void explorer_list_set_font(GadgetRecord* record, PangoFontDescription* font) {
  gadget_shared_set_font(record, font);
  ExplorerListState* state = explorer_list_state(record);
  for (int i = 0; i < state->column_count; ++i) {
    GtkWidget* label = gtk_tree_view_column_get_widget(column_at(record, i));
    if (label) gadget_widget_set_font(label, font);
  }
}
