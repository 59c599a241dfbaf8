// SPDX-License-Identifier: GPL-3.0-or-later
// The explorer tree gadget: a GtkTreeView over a GtkTreeStore in a
// GtkScrolledWindow. Creation, the handlers of its GadgetType and clicks.
#include "gadgets/explorer_tree.h"

#include <gtk/gtk.h>

#include "gadgets/explorer_common.h"
#include "gadgets/explorer_tree_model.h"
#include "runtime/text_encoding.h"
#include "toolkit/gadget.h"

namespace {

GtkTreeView* tree_view(GadgetRecord* record) { return GTK_TREE_VIEW(record->widget); }

bool selected_node(GtkTreeView* view, GtkTreeIter* node) {
  return gtk_tree_selection_get_selected(gtk_tree_view_get_selection(view), nullptr, node);
}

// The flag values the attribute operations accept.
bool attribute_known(int attribute) {
  switch (attribute) {
    case EXPLORER_HIDE_HOME:
    case EXPLORER_HIDE_FILES:
    case EXPLORER_INERT:
    case EXPLORER_SORT_BY_NAME:
    case EXPLORER_SHOW_HIDDEN:
      return true;
    default:
      return false;
  }
}

void explorer_tree_free(GadgetRecord* record) { explorer_tree_release_data(tree_view(record)); }

int explorer_tree_get_state(GadgetRecord* record) {
  GtkTreeIter node;
  if (!selected_node(tree_view(record), &node)) return 0;
  const int kind = explorer_row_kind(explorer_tree_model(tree_view(record)), &node);
  return kind == ENTRY_DIRECTORY || kind == ENTRY_HOME ? 2 : 1;
}

std::string explorer_tree_get_text(GadgetRecord* record) {
  GtkTreeIter node;
  if (!selected_node(tree_view(record), &node)) return std::string();
  return explorer_tree_node_path(tree_view(record), &node);
}

void explorer_tree_set_text(GadgetRecord* record, const char* utf8) {
  explorer_tree_select_path(tree_view(record), utf8 ? utf8 : "");
}

int explorer_tree_get_attribute(GadgetRecord* record, int attribute) {
  if (!attribute_known(attribute)) return 0;
  return (explorer_flags(record->widget) & static_cast<std::uint32_t>(attribute)) ? 1 : 0;
}

// Nodes are read once, so a flag that changes what is shown rebuilds the
// whole tree and walks back to the node that was selected.
void explorer_tree_set_attribute(GadgetRecord* record, int attribute, int value) {
  if (!attribute_known(attribute)) return;
  GtkTreeView* view = tree_view(record);
  explorer_set_flag(record->widget, attribute, value);
  if (attribute == EXPLORER_INERT) return;
  if (attribute == EXPLORER_SORT_BY_NAME) explorer_tree_set_sort_function(view);

  GtkTreeIter node;
  const std::string selected =
      selected_node(view, &node) ? explorer_tree_node_path(view, &node) : std::string();
  explorer_tree_build(view);
  if (!selected.empty()) explorer_tree_show_path(view, selected);
}

const GadgetType* explorer_tree_type() {
  static const GadgetType type = [] {
    GadgetType t{};
    t.record_size = sizeof(GadgetRecord);
    t.type_number = TYPE_EXPLORER_TREE;
    t.free_hook = explorer_tree_free;
    t.get_state = explorer_tree_get_state;
    t.get_text = explorer_tree_get_text;
    t.set_text = explorer_tree_set_text;
    t.set_font = gadget_shared_set_font;
    t.get_attribute = explorer_tree_get_attribute;
    t.set_attribute = explorer_tree_set_attribute;
    t.set_colour = gadget_shared_set_colour;
    t.get_colour = gadget_shared_get_colour;
    t.get_font = gadget_shared_get_font;
    return t;
  }();
  return &type;
}

// "button-press-event" and "button-release-event": a release ends the click
// that its press began and reports it. GTK's own handling goes on.
gboolean explorer_tree_click(GtkWidget* view, GdkEventButton* event, gpointer number) {
  if (event->type == GDK_BUTTON_RELEASE) {
    explorer_click_release(view, reinterpret_cast<ObjectNumber>(number), event->button);
    return FALSE;
  }
  if (event->button != 1 && event->button != 3) return FALSE;
  const bool left = event->button == 1;
  if (event->type == GDK_BUTTON_PRESS)
    explorer_set_click_state(view, left ? CLICK_LEFT : CLICK_OTHER);
  else if (event->type == GDK_2BUTTON_PRESS)
    explorer_set_click_state(view, left ? CLICK_LEFT_DOUBLE : CLICK_OTHER_DOUBLE);
  return FALSE;
}

void explorer_tree_row_expanded(GtkTreeView* view, GtkTreeIter* node, GtkTreePath*, gpointer) {
  explorer_tree_fill_node(view, node);
}

void explorer_tree_connect(GtkTreeView* view, ObjectNumber gadget) {
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
  gtk_tree_selection_set_mode(selection, GTK_SELECTION_SINGLE);
  g_signal_connect(selection, "changed", G_CALLBACK(selection_changed_post), view);
  gpointer number = reinterpret_cast<gpointer>(gadget);
  g_signal_connect(view, "button-press-event", G_CALLBACK(explorer_tree_click), number);
  g_signal_connect(view, "button-release-event", G_CALLBACK(explorer_tree_click), number);
  g_signal_connect(view, "row-expanded", G_CALLBACK(explorer_tree_row_expanded), nullptr);
  gadget_watch_drag(gadget, GTK_WIDGET(view));
}

// The record of an explorer tree, or nullptr.
GadgetRecord* explorer_tree_find(ObjectNumber number) {
  GadgetRecord* record = gadget_find(number);
  return record && record->type == explorer_tree_type() ? record : nullptr;
}

}  // namespace

std::string explorer_tree_selected_path(ObjectNumber tree) {
  GadgetRecord* record = explorer_tree_find(tree);
  return record ? explorer_tree_get_text(record) : std::string();
}

void explorer_tree_set_path(ObjectNumber tree, const std::string& text) {
  if (GadgetRecord* record = explorer_tree_find(tree))
    explorer_tree_select_path(tree_view(record), text);
}

ObjectNumber explorer_tree_create(ObjectNumber number, int x, int y, int width, int height,
                                  const std::string& text, std::uint32_t flags) {
  return explorer_tree_create_at(number, x, y, width, height, text_to_toolkit(text).get(), flags);
}

ObjectNumber explorer_tree_create_at(ObjectNumber number, int x, int y, int width, int height,
                                     const std::string& path, std::uint32_t flags) {
  const GadgetType* type = explorer_tree_type();
  explorer_tree_home_label();
  GtkTreeStore* store = explorer_tree_store_new();
  if (!store) return 0;
  GtkWidget* widget = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);  // the view holds the store from now on
  if (!widget) return 0;
  GtkTreeView* view = GTK_TREE_VIEW(widget);
  explorer_tree_column_add(view);
  gtk_tree_view_set_headers_visible(view, FALSE);
  gtk_tree_view_set_search_column(view, EXPLORER_COLUMN_NAME);
  GtkWidget* scroller = explorer_scroller_new(widget);
  ObjectNumber gadget = 0;
  GadgetRecord* record = gadget_record_start(number, scroller, &gadget);
  if (!record) return 0;  // the scroller is gone, and the view with it
  gadget_place(scroller, x, y, width, height);
  explorer_tree_connect(view, gadget);
  explorer_set_flags(widget, flags & ~static_cast<std::uint32_t>(EXPLORER_HIDE_DIRECTORIES));
  explorer_tree_attach_data(view);
  explorer_tree_set_sort_function(view);
  gtk_tree_view_column_set_sort_column_id(gtk_tree_view_get_column(view, 0),
                                          EXPLORER_COLUMN_NAME);

  record->widget = widget;
  record->outer = scroller;
  record->type = type;
  record->word4 = reinterpret_cast<std::intptr_t>(store);
  gadget_register(record, gadget);

  explorer_tree_build(view);
  explorer_tree_select_path(view, path);
  gtk_widget_show_all(scroller);
  return gadget_creator_result(number, gadget);
}
