// SPDX-License-Identifier: GPL-3.0-or-later
// The gadget table and the life of a gadget: creation helpers, registration,
// destruction, and the mapping from widgets back to numbers.
#include "toolkit/gadget.h"

#include <gtk/gtk.h>

#include <memory>

#include "toolkit/event_queue.h"
#include "toolkit/gadget_list.h"
#include "registry/object_table.h"
#include "toolkit/window.h"

namespace {

std::unique_ptr<ObjectTable> gadget_table;

constexpr std::int32_t kGadgetTableSlots = 16;

// On a gadget's main widget: the gadget number + 1, so that a widget without
// the key reads as no gadget (-1). Windows carry the same key (WINDOW_KEY_ID)
// with their own number.
constexpr char kGadgetKeyId[] = "tq_id";

gpointer number_as_pointer(ObjectNumber number) { return reinterpret_cast<gpointer>(number); }

ObjectNumber pointer_as_number(gpointer pointer) { return reinterpret_cast<ObjectNumber>(pointer); }

}  // namespace

void gadget_layer_init() {
  if (!gadget_table) {
    gadget_table = object_table_create(sizeof(GadgetRecord), kGadgetTableSlots, gadget_free);
  }
}

GadgetRecord* gadget_find(ObjectNumber number) {
  if (!gadget_table) return nullptr;
  return object_find_record<GadgetRecord>(*gadget_table, number);
}

GtkWidget* gadget_placed_widget(const GadgetRecord* record) {
  return record->outer ? record->outer : record->widget;
}

GadgetRecord* gadget_record_new(ObjectNumber number) {
  if (!gadget_table) return nullptr;
  return static_cast<GadgetRecord*>(object_new(*gadget_table, number));
}

ObjectNumber gadget_record_number(ObjectNumber requested, const GadgetRecord* record) {
  return requested == OBJECT_NUMBER_ANY ? object_record_number(record) : requested;
}

ObjectNumber gadget_creator_result(ObjectNumber requested, ObjectNumber number) {
  if (requested == OBJECT_NUMBER_ANY) return number;
  GadgetRecord* record = gadget_find(number);
  return record ? reinterpret_cast<ObjectNumber>(record->widget) : 0;
}

GtkWidget* gadget_container() { return gadget_list_container(); }

bool gadget_place(GtkWidget* placed, int x, int y, int width, int height) {
  GtkWidget* container = gadget_container();
  if (!container || !GTK_IS_FIXED(container)) return false;
  gtk_widget_set_size_request(placed, width, height);
  gtk_fixed_put(GTK_FIXED(container), placed, x, y);
  return true;
}

GadgetRecord* gadget_record_start(ObjectNumber number, GtkWidget* widget, ObjectNumber* gadget_out) {
  if (!widget) return nullptr;
  // Without a window to go into, the gadget would float unseen and unowned.
  GadgetRecord* record = gadget_container() ? gadget_record_new(number) : nullptr;
  if (!record) {
    gadget_discard_widget(widget);
    return nullptr;
  }
  *gadget_out = gadget_record_number(number, record);
  return record;
}

void gadget_discard_widget(GtkWidget* widget) {
  if (!widget) return;
  g_object_ref_sink(widget);
  gtk_widget_destroy(widget);
  g_object_unref(widget);
}

void gadget_register(GadgetRecord* record, ObjectNumber number) {
  GtkWidget* widget = record->widget;
  gtk_widget_realize(widget);
  if (PangoFontDescription* font = gadget_default_font()) gadget_set_font(number, font);
  g_signal_connect(widget, "destroy", G_CALLBACK(gadget_destroyed), number_as_pointer(number));
  g_object_set_data(G_OBJECT(widget), kGadgetKeyId, number_as_pointer(number + 1));
  events_flush();
}

void gadget_free(ObjectNumber number) {
  GadgetRecord* record = gadget_find(number);
  if (!record) return;
  gtk_widget_destroy(gadget_placed_widget(record));
  // The "destroy" handler has normally freed the record by now. A gadget whose
  // creator never got as far as registering has no handler; end it here so
  // that the number cannot keep a dead widget.
  if (gadget_find(number)) object_free(*gadget_table, number);
}

void gadget_destroyed(GtkWidget* widget, void* user_data) {
  ObjectNumber number = pointer_as_number(user_data);
  GadgetRecord* record = gadget_find(number);
  // The number may already name another gadget if this one's record was
  // freed earlier; only the gadget that owns the widget is ended.
  if (!record || record->widget != widget) return;
  if (record->type && record->type->free_hook) record->type->free_hook(record);
  object_free(*gadget_table, number);
}

ObjectNumber widget_window_number(GtkWidget* widget) {
  if (!widget) return -1;
  GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
  // GTK hands back the topmost ancestor even when it is no window.
  if (!toplevel || !gtk_widget_is_toplevel(toplevel)) return -1;
  return pointer_as_number(g_object_get_data(G_OBJECT(toplevel), WINDOW_KEY_ID));
}

ObjectNumber widget_gadget_number(GtkWidget* widget) {
  if (!widget) return -1;
  return pointer_as_number(g_object_get_data(G_OBJECT(widget), kGadgetKeyId)) - 1;
}
