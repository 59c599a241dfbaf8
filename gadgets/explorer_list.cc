// SPDX-License-Identifier: GPL-3.0-or-later
// Creation, handler table and lifetime of the explorer list.
#include "gadgets/explorer_list.h"

#include "gadgets/explorer_list_state.h"
#include "runtime/text_encoding.h"

namespace {

void explorer_list_free(GadgetRecord* record) {
  GtkWidget* view = record->widget;
  g_object_set_data(G_OBJECT(view), EXPLORER_KEY_DIRECTORY, nullptr);
  g_object_set_data(G_OBJECT(view), EXPLORER_KEY_PATTERN, nullptr);
  delete explorer_list_state(record);
  record->word4 = 0;
}

const GadgetType& explorer_list_type() {
  static const GadgetType type = [] {
    explorer_icons();  // chosen at the first creation, like the handler table
    GadgetType t{};
    t.record_size = sizeof(GadgetRecord);
    t.type_number = TYPE_EXPLORER_LIST;
    t.free_hook = explorer_list_free;
    t.get_state = explorer_list_get_state;
    t.get_text = explorer_list_get_text;
    t.set_text = explorer_list_fill;
    t.count_items = explorer_list_count_items;
    t.get_item_state = explorer_list_get_item_state;
    t.get_item_text = explorer_list_get_item_text;
    t.set_item_text = explorer_list_set_item_text;
    t.set_font = explorer_list_set_font;
    t.add_column = explorer_list_add_column;
    t.get_attribute = explorer_list_get_attribute;
    t.set_attribute = explorer_list_set_attribute;
    t.get_item_attribute = explorer_list_get_item_attribute;
    t.set_item_attribute = explorer_list_set_item_attribute;
    t.remove_column = explorer_list_remove_column;
    t.set_colour = gadget_shared_set_colour;
    t.get_colour = gadget_shared_get_colour;
    t.get_font = gadget_shared_get_font;
    return t;
  }();
  return type;
}

GtkListStore* explorer_list_store_new() {
  return gtk_list_store_new(LIST_COLUMN_FIRST_CUSTOM, G_TYPE_INT, G_TYPE_STRING, G_TYPE_STRING,
                            G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
                            G_TYPE_STRING, G_TYPE_UINT64, G_TYPE_INT64, G_TYPE_INT64);
}

void explorer_list_connect(GtkWidget* view, ExplorerListState* state, ObjectNumber number) {
  gpointer data = reinterpret_cast<gpointer>(number);
  g_signal_connect(view, "button-press-event", G_CALLBACK(explorer_list_click), data);
  g_signal_connect(view, "button-release-event", G_CALLBACK(explorer_list_click), data);
  g_signal_connect(state->selection, "changed", G_CALLBACK(selection_changed_post), view);
  g_signal_connect(view, "row-activated", G_CALLBACK(explorer_list_activate), data);
  gadget_watch_drag(number, view);
}

void explorer_list_add_default_columns(GadgetRecord* record) {
  explorer_list_add_column(record, "TQ_Explorer_Column_Name", 0, 150);
  explorer_list_add_column(record, "TQ_Explorer_Column_Size", 1, 100);
  explorer_list_add_column(record, "TQ_Explorer_Column_Type", 2, 100);
  explorer_list_add_column(record, "TQ_Explorer_Column_Modified", 3, 150);
}

}  // namespace

ExplorerListState* explorer_list_state(const GadgetRecord* record) {
  return reinterpret_cast<ExplorerListState*>(record->word4);
}

GtkTreeView* explorer_list_view(const GadgetRecord* record) {
  return GTK_TREE_VIEW(record->widget);
}

GadgetRecord* explorer_list_find(ObjectNumber number) {
  GadgetRecord* record = gadget_find(number);
  if (!record || record->type != &explorer_list_type() || !record->word4) return nullptr;
  return record;
}

ObjectNumber explorer_list_create(ObjectNumber number, int x, int y, int width, int height,
                                  const std::string& text, std::uint32_t flags) {
  const GadgetType& type = explorer_list_type();
  auto* state = new ExplorerListState;
  state->store = explorer_list_store_new();
  GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(state->store));
  g_object_unref(state->store);
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(view), TRUE);
  // Every column has a fixed width and every row one line of text, so the
  // view need not measure each of tens of thousands of rows after a fill.
  gtk_tree_view_set_fixed_height_mode(GTK_TREE_VIEW(view), TRUE);

  GtkWidget* scrolled = explorer_scroller_new(view);
  ObjectNumber gadget = 0;
  GadgetRecord* record = gadget_record_start(number, scrolled, &gadget);
  if (!record) {
    // The scrolled window is gone, and with it the view and the store.
    delete state;
    return 0;
  }
  gadget_place(scrolled, x, y, width, height);

  state->selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(view));
  gtk_tree_selection_set_mode(state->selection, (flags & EXPLORER_MULTI_SELECT)
                                                    ? GTK_SELECTION_MULTIPLE
                                                    : GTK_SELECTION_SINGLE);
  gtk_tree_view_set_headers_clickable(GTK_TREE_VIEW(view), !(flags & EXPLORER_FIXED_HEADERS));
  explorer_set_flags(view, flags);
  explorer_list_connect(view, state, gadget);
  gtk_tree_view_set_search_column(GTK_TREE_VIEW(view), LIST_COLUMN_NAME);

  record->widget = view;
  record->outer = scrolled;
  record->type = &type;
  record->word4 = reinterpret_cast<std::intptr_t>(state);
  gadget_register(record, gadget);
  // gadget_register flushes GTK work, which may create gadgets and move the
  // table's records: look this one up again.
  record = explorer_list_find(gadget);
  if (!record) return 0;
  explorer_list_add_default_columns(record);

  gtk_widget_show_all(scrolled);
  explorer_list_fill(record, text_to_toolkit(text).get());
  return gadget_creator_result(number, gadget);
}

ObjectNumber explorer_list_create(ObjectNumber number, int x, int y, int width, int height,
                                  const std::string& text) {
  return explorer_list_create(number, x, y, width, height, text, 0);
}

std::string explorer_list_directory_path(ObjectNumber list) {
  GadgetRecord* record = explorer_list_find(list);
  return record ? explorer_list_state(record)->directory : std::string();
}

void explorer_list_set_path(ObjectNumber list, const std::string& text) {
  if (GadgetRecord* record = explorer_list_find(list)) explorer_list_fill(record, text.c_str());
}

std::string explorer_list_item_name(ObjectNumber list, int row) {
  GadgetRecord* record = explorer_list_find(list);
  if (!record) return {};
  ExplorerListState* state = explorer_list_state(record);
  GtkTreeIter iter;
  if (!explorer_list_row(*state, row, &iter)) return {};
  return state->disk_names.name_of(GTK_TREE_MODEL(state->store), &iter, LIST_COLUMN_NAME);
}

std::string explorer_list_item_path(ObjectNumber list, int row) {
  std::string name = explorer_list_item_name(list, row);
  if (name.empty()) return {};
  return explorer_list_directory_path(list) + name;
}
