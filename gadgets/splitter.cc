// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/splitter.h"

#include <gtk/gtk.h>

#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

// What the application was last told about the paned; a width of 0 forces
// the next allocation to be reported.
constexpr const char* KEY_POSITION = "tq_splitter_position";
constexpr const char* KEY_WIDTH = "tq_splitter_width";
constexpr const char* KEY_HEIGHT = "tq_splitter_height";

int splitter_key(GtkWidget* widget, const char* key) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), key));
}

void splitter_set_key(GtkWidget* widget, const char* key, int value) {
  g_object_set_data(G_OBJECT(widget), key, GINT_TO_POINTER(value));
}

int splitter_get_position(GadgetRecord* record) {
  return gtk_paned_get_position(GTK_PANED(record->widget));
}

void splitter_set_position(GadgetRecord* record, int position) {
  gtk_paned_set_position(GTK_PANED(record->widget), position);
}

void splitter_resize(GadgetRecord* record, int x, int y, int width,
                     int height) {
  splitter_set_key(record->widget, KEY_WIDTH, 0);
  splitter_set_key(record->widget, KEY_HEIGHT, 0);
  gadget_resize_widget(record->widget, x, y, width, height);
}

const GadgetType& splitter_type() {
  static const GadgetType type = [] {
    GadgetType filled{};
    filled.record_size = sizeof(GadgetRecord);
    filled.type_number = TYPE_SPLITTER;
    filled.get_state = splitter_get_position;
    filled.set_state = splitter_set_position;
    filled.resize = splitter_resize;
    return filled;
  }();
  return type;
}

// Two distinct existing gadgets that survive the creation: an explicit
// number first destroys the gadget that holds it, and with it any gadget
// inside it (a splitter's panes).
bool splitter_panes_valid(ObjectNumber number, ObjectNumber first,
                          ObjectNumber second) {
  GadgetRecord* first_record = gadget_find(first);
  GadgetRecord* second_record = gadget_find(second);
  if (!first_record || !second_record || first == second) return false;
  GadgetRecord* holder = number == -1 ? nullptr : gadget_find(number);
  if (!holder) return true;
  GtkWidget* doomed = gadget_placed_widget(holder);
  auto survives = [doomed](GadgetRecord* pane) {
    GtkWidget* widget = gadget_placed_widget(pane);
    return widget != doomed && !gtk_widget_is_ancestor(widget, doomed);
  };
  return survives(first_record) && survives(second_record);
}

void splitter_forget_size(GtkWidget* child) {
  if (child && splitter_key(child, KEY_WIDTH) != 0) {
    splitter_set_key(child, KEY_WIDTH, 0);
  }
}

}  // namespace

ObjectNumber splitter_create(ObjectNumber number, int x, int y, int width,
                             int height, ObjectNumber first,
                             ObjectNumber second, unsigned flags) {
  const GadgetType& type = splitter_type();
  if (!splitter_panes_valid(number, first, second)) return 0;
  GtkWidget* paned = (flags & SPLITTER_SIDE_BY_SIDE) ? gtk_hpaned_new()
                                                     : gtk_vpaned_new();
  ObjectNumber id = 0;
  GadgetRecord* record = gadget_record_start(number, paned, &id);
  if (!record) return 0;
  gadget_place(paned, x, y, width, height);
  g_signal_connect(paned, "size-allocate", G_CALLBACK(splitter_allocated),
                   reinterpret_cast<gpointer>(id));
  record->widget = paned;
  record->type = &type;
  // Own words: word5 the creation flags, word6 and word7 the gadgets in the
  // first and second pane (set by splitter_attach).
  record->word5 = flags;
  splitter_attach(record, first, flags, 1, 1, SPLITTER_FIRST_PANE);
  splitter_attach(record, second, flags, 1, 1, SPLITTER_SECOND_PANE);
  gtk_paned_set_position(GTK_PANED(paned), (flags & SPLITTER_SIDE_BY_SIDE)
                                               ? width / 2
                                               : height / 2);
  gtk_widget_show(paned);
  gadget_register(record, id);
  return gadget_creator_result(number, id);
}

void splitter_attach(GadgetRecord* record, ObjectNumber gadget,
                     unsigned flags, int width, int height, SplitterPane pane) {
  GadgetRecord* child = gadget_find(gadget);
  if (!child) return;
  GtkWidget* widget = gadget_placed_widget(child);
  // Removing the widget from its parent drops the parent's reference; ours
  // keeps it alive until the pane holds it.
  g_object_ref(widget);
  if (GtkWidget* parent = gtk_widget_get_parent(widget)) {
    gtk_container_remove(GTK_CONTAINER(parent), widget);
  }
  gtk_widget_set_size_request(widget, width, height);
  GtkPaned* paned = GTK_PANED(record->widget);
  if (pane == SPLITTER_FIRST_PANE) {
    gtk_paned_pack1(paned, widget, (flags & SPLITTER_FIRST_RESIZES) != 0,
                    FALSE);
    record->word6 = gadget;
  } else {
    gtk_paned_pack2(paned, widget, (flags & SPLITTER_SECOND_RESIZES) != 0,
                    FALSE);
    record->word7 = gadget;
  }
  g_object_unref(widget);
}

void splitter_allocated(GtkWidget* paned, GtkAllocation*, gpointer number) {
  int position = gtk_paned_get_position(GTK_PANED(paned));
  GtkRequisition requisition;
  gtk_widget_size_request(paned, &requisition);
  if (position == splitter_key(paned, KEY_POSITION) &&
      requisition.width == splitter_key(paned, KEY_WIDTH) &&
      requisition.height == splitter_key(paned, KEY_HEIGHT)) {
    return;
  }
  splitter_set_key(paned, KEY_POSITION, position);
  splitter_set_key(paned, KEY_WIDTH, requisition.width);
  splitter_set_key(paned, KEY_HEIGHT, requisition.height);
  post_event(EVENT_GADGET, reinterpret_cast<ObjectNumber>(number),
             widget_window_number(paned), GADGET_EVENT_DEFAULT);
  // A nested splitter moves with this one; make it report that too.
  splitter_forget_size(gtk_paned_get_child1(GTK_PANED(paned)));
  splitter_forget_size(gtk_paned_get_child2(GTK_PANED(paned)));
}
