// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/explorer_common.h"

#include <cstring>

#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

std::uint32_t explorer_flags(GtkWidget* view) {
  return GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(view), EXPLORER_KEY_FLAGS));
}

void explorer_set_flags(GtkWidget* view, std::uint32_t flags) {
  g_object_set_data(G_OBJECT(view), EXPLORER_KEY_FLAGS, GUINT_TO_POINTER(flags));
}

void explorer_set_flag(GtkWidget* view, std::uint32_t flag, bool on) {
  const std::uint32_t flags = explorer_flags(view);
  explorer_set_flags(view, on ? flags | flag : flags & ~flag);
}

namespace {

const char* stock_or(const char* wanted, const char* fallback) {
  GtkStockItem item;
  return gtk_stock_lookup(wanted, &item) ? wanted : fallback;
}

}  // namespace

const ExplorerIcons& explorer_icons() {
  static const ExplorerIcons icons = {
      stock_or(GTK_STOCK_FILE, GTK_STOCK_NEW),
      stock_or(GTK_STOCK_DIRECTORY, GTK_STOCK_OPEN),
      GTK_STOCK_GO_UP,
      GTK_STOCK_HOME,
  };
  return icons;
}

GtkWidget* explorer_scroller_new(GtkWidget* view) {
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC,
                                 GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_ETCHED_IN);
  gtk_container_add(GTK_CONTAINER(scroller), view);
  return scroller;
}

int explorer_row_kind(GtkTreeModel* model, GtkTreeIter* row) {
  // get_value rather than the varargs gtk_tree_model_get: sort functions
  // call this for every comparison.
  GValue value = G_VALUE_INIT;
  gtk_tree_model_get_value(model, row, EXPLORER_COLUMN_KIND, &value);
  int kind = g_value_get_int(&value);
  g_value_unset(&value);
  return kind;
}

int explorer_compare_kinds(GtkTreeModel* model, GtkTreeIter* a, GtkTreeIter* b) {
  return explorer_row_kind(model, a) - explorer_row_kind(model, b);
}

int explorer_compare_texts(GtkTreeModel* model, GtkTreeIter* a, GtkTreeIter* b,
                           int column) {
  // Read without copying: sorting 100,000 rows calls this about two million
  // times, and a g_strdup per read would dominate the sort.
  GValue va = G_VALUE_INIT;
  GValue vb = G_VALUE_INIT;
  gtk_tree_model_get_value(model, a, column, &va);
  gtk_tree_model_get_value(model, b, column, &vb);
  const char* sa = G_VALUE_HOLDS_STRING(&va) ? g_value_get_string(&va) : nullptr;
  const char* sb = G_VALUE_HOLDS_STRING(&vb) ? g_value_get_string(&vb) : nullptr;
  int result = std::strcmp(sa ? sa : "", sb ? sb : "");
  g_value_unset(&va);
  g_value_unset(&vb);
  return result;
}

int explorer_click_state(GtkWidget* view) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(view), EXPLORER_KEY_CLICK_STATE));
}

void explorer_set_click_state(GtkWidget* view, int state) {
  g_object_set_data(G_OBJECT(view), EXPLORER_KEY_CLICK_STATE, GINT_TO_POINTER(state));
}

void explorer_click_release(GtkWidget* view, ObjectNumber number, unsigned button) {
  const int state = explorer_click_state(view);
  explorer_set_click_state(view, CLICK_NONE);
  const bool left = button == 1 && (state == CLICK_LEFT || state == CLICK_LEFT_DOUBLE);
  const bool right = button == 3 && (state == CLICK_OTHER || state == CLICK_OTHER_DOUBLE);
  if (!left && !right) return;
  const ObjectNumber window = widget_window_number(view);
  post_event(EVENT_GADGET, number, window,
             left ? GADGET_EVENT_LEFT_CLICK : GADGET_EVENT_RIGHT_CLICK);
  if (state == CLICK_LEFT_DOUBLE || state == CLICK_OTHER_DOUBLE)
    post_event(EVENT_GADGET, number, window,
               left ? GADGET_EVENT_LEFT_DOUBLE_CLICK : GADGET_EVENT_RIGHT_DOUBLE_CLICK);
}

std::string explorer_display_name(const char* disk_name) {
  // With UTF-8 file names (the usual case) a valid name is its own display
  // form; skip GLib's copy for the thousands of rows of a large directory.
  static const bool names_are_utf8 = g_get_filename_charsets(nullptr);
  if (names_are_utf8 && g_utf8_validate(disk_name, -1, nullptr)) return disk_name;
  gchar* shown = g_filename_display_name(disk_name);
  std::string result = shown;
  g_free(shown);
  return result;
}

ExplorerName explorer_name(const char* disk_name) {
  ExplorerName name{explorer_display_name(disk_name), {}};
  if (name.shown != disk_name) name.disk = disk_name;
  return name;
}

void ExplorerDiskNames::remember(const GtkTreeIter& row, const ExplorerName& name) {
  if (!name.disk.empty()) names_[row.user_data] = name.disk;
}

void ExplorerDiskNames::set(const GtkTreeIter& row, const std::string& disk_name) {
  names_[row.user_data] = disk_name;
}

std::string ExplorerDiskNames::name_of(GtkTreeModel* model, GtkTreeIter* row,
                                       int column) const {
  auto found = names_.find(row->user_data);
  if (found != names_.end()) return found->second;
  gchar* text = nullptr;
  gtk_tree_model_get(model, row, column, &text, -1);
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

bool ExplorerDiskNames::has(const GtkTreeIter& row) const {
  return names_.count(row.user_data) != 0;
}

void ExplorerDiskNames::forget(const GtkTreeIter& row) { names_.erase(row.user_data); }

void selection_changed_post(GtkTreeSelection*, gpointer view) {
  GtkWidget* widget = GTK_WIDGET(view);
  post_event(EVENT_GADGET, widget_gadget_number(widget), widget_window_number(widget),
             GADGET_EVENT_CHANGE);
}
