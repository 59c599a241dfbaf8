// SPDX-License-Identifier: GPL-3.0-or-later
// Moving and sizing gadgets. GADGET_IGNORE keeps a coordinate, so the window's
// resize rule can move a button along x alone or size a splitter alone.
#include <gtk/gtk.h>

#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

// Moves the placed widget inside its GtkFixed. A gadget held by a splitter
// pane has no free position of its own, so it is left where the pane puts it.
void gadget_move_widget(GtkWidget* placed, int x, int y) {
  GtkWidget* parent = gtk_widget_get_parent(placed);
  if (!parent || !GTK_IS_FIXED(parent)) return;
  // The position the fixed keeps for the child is what the next layout will
  // use; the allocation may still lag behind a move that was not laid out.
  gint current_x = 0;
  gint current_y = 0;
  gtk_container_child_get(GTK_CONTAINER(parent), placed, "x", &current_x, "y", &current_y, NULL);
  gtk_fixed_move(GTK_FIXED(parent), placed, x == GADGET_IGNORE ? current_x : x,
                 y == GADGET_IGNORE ? current_y : y);
}

}  // namespace

void gadget_resize_widget(GtkWidget* placed, int x, int y, int width, int height) {
  if (x != GADGET_IGNORE || y != GADGET_IGNORE) gadget_move_widget(placed, x, y);
  if (width != GADGET_IGNORE || height != GADGET_IGNORE) {
    GtkRequisition requisition{};
    gtk_widget_size_request(placed, &requisition);
    if (width == GADGET_IGNORE) width = requisition.width;
    if (height == GADGET_IGNORE) height = requisition.height;
    // A size of zero or less would collapse the gadget; such a request keeps
    // the current size.
    if (width > 0 && height > 0) gtk_widget_set_size_request(placed, width, height);
  }
  events_flush();
}

void gadget_resize(ObjectNumber number, int x, int y, int width, int height) {
  GadgetRecord* record = gadget_find(number);
  if (!record) return;
  if (record->type && record->type->resize) {
    record->type->resize(record, x, y, width, height);
    return;
  }
  gadget_resize_widget(gadget_placed_widget(record), x, y, width, height);
}
