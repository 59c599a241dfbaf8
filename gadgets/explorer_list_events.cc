// SPDX-License-Identifier: GPL-3.0-or-later
// What the user does to the explorer list: clicks, activating rows, and the
// flag attributes that change how it lists.
#include "gadgets/explorer_list_state.h"
#include "toolkit/event_queue.h"

namespace {

// Click state set by an activation that entered a directory: the double
// press that follows ends without a double-click event, because GTK
// activates the row on the second press, before the double press arrives.
constexpr int CLICK_ENTERED = -1;

int double_press_state(GtkWidget* view, ObjectNumber number) {
  if (explorer_click_state(view) == CLICK_ENTERED) return CLICK_NONE;
  GadgetRecord* record = explorer_list_find(number);
  if (!record || (explorer_flags(view) & EXPLORER_KEEP_DIRECTORY)) return CLICK_LEFT_DOUBLE;
  int first = explorer_list_get_state(record);
  if (first < 0 || explorer_list_get_item_state(record, first) & ITEM_STATE_FILE)
    return CLICK_LEFT_DOUBLE;
  return CLICK_NONE;
}

// The accepted flag values of the attribute operations.
bool attribute_accepted(int attribute) {
  switch (attribute) {
    case EXPLORER_HIDE_HOME:
    case EXPLORER_HIDE_FILES:
    case EXPLORER_INERT:
    case EXPLORER_SORT_BY_NAME:
    case EXPLORER_HIDE_PARENT:
    case EXPLORER_HIDE_DIRECTORIES:
    case EXPLORER_KEEP_DIRECTORY:
    case EXPLORER_FIXED_HEADERS:
    case EXPLORER_SHOW_HIDDEN:
      return true;
    default:
      return false;
  }
}

}  // namespace

gboolean explorer_list_click(GtkWidget* view, GdkEventButton* event, gpointer data) {
  ObjectNumber number = reinterpret_cast<ObjectNumber>(data);
  switch (event->type) {
    case GDK_BUTTON_PRESS:
      explorer_set_click_state(view, event->button == 1 ? CLICK_LEFT : CLICK_OTHER);
      break;
    case GDK_2BUTTON_PRESS:
      explorer_set_click_state(view, event->button == 1 ? double_press_state(view, number)
                                                        : CLICK_OTHER_DOUBLE);
      break;
    case GDK_BUTTON_RELEASE:
      explorer_click_release(view, number, event->button);
      break;
    default:
      break;
  }
  return FALSE;  // GTK's own selection handling goes on
}

void explorer_list_activate(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn*,
                            gpointer data) {
  ObjectNumber number = reinterpret_cast<ObjectNumber>(data);
  GadgetRecord* record = explorer_list_find(number);
  if (!record || (explorer_flags(GTK_WIDGET(view)) & EXPLORER_KEEP_DIRECTORY)) return;
  ExplorerListState* state = explorer_list_state(record);
  GtkTreeIter row;
  if (!gtk_tree_model_get_iter(GTK_TREE_MODEL(state->store), &row, path)) return;
  int kind = explorer_row_kind(GTK_TREE_MODEL(state->store), &row);
  std::string directory;
  if (kind == ENTRY_PARENT) {
    directory = explorer_list_parent_directory(state->directory);
  } else if (kind == ENTRY_DIRECTORY) {
    // The name on disk, not the one shown: "caf\xe9" opens, "caf\ufffd" does not.
    directory = state->directory +
                state->disk_names.name_of(GTK_TREE_MODEL(state->store), &row, LIST_COLUMN_NAME) +
                "/";
  } else {
    return;
  }
  explorer_list_fill(record, directory.c_str());
  explorer_set_click_state(GTK_WIDGET(view), CLICK_ENTERED);
  post_event(EVENT_GADGET, number, widget_window_number(GTK_WIDGET(view)), GADGET_EVENT_CHANGE);
}

int explorer_list_get_attribute(GadgetRecord* record, int attribute) {
  return attribute_accepted(attribute) &&
         (explorer_flags(record->widget) & static_cast<std::uint32_t>(attribute));
}

void explorer_list_set_attribute(GadgetRecord* record, int attribute, int on) {
  if (!attribute_accepted(attribute)) return;
  explorer_set_flag(record->widget, attribute, on);
  if (attribute == EXPLORER_FIXED_HEADERS)
    gtk_tree_view_set_headers_clickable(explorer_list_view(record), !on);
  // The stored directory is copied: the fill replaces it. A list that never
  // had a directory keeps having none.
  std::string directory = explorer_list_state(record)->directory;
  if (!directory.empty()) explorer_list_fill(record, directory.c_str());
}
