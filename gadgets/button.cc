// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/button.h"

#include <gtk/gtk.h>

#include <string>

#include "runtime/text_encoding.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

GtkLabel* button_label(const GadgetRecord* record) {
  return GTK_LABEL(gtk_bin_get_child(GTK_BIN(record->widget)));
}

int button_get_state(GadgetRecord* record) {
  if (!GTK_IS_TOGGLE_BUTTON(record->widget)) return 0;
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(record->widget)) ? 1 : 0;
}

// A state set by the program is no user action, so it must not reach the
// application as a click.
void button_set_state(GadgetRecord* record, int value) {
  if (!GTK_IS_TOGGLE_BUTTON(record->widget)) return;
  events_suppress_begin();
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(record->widget), value != 0);
  events_suppress_end();
}

std::string button_get_text(GadgetRecord* record) {
  return gtk_label_get_text(button_label(record));
}

void button_set_text(GadgetRecord* record, const char* text) {
  gtk_label_set_text(button_label(record), text);
}

void button_set_font(GadgetRecord* record, PangoFontDescription* font) {
  gadget_widget_set_font(GTK_WIDGET(button_label(record)), font);
}

PangoFontDescription* button_get_font(GadgetRecord* record) {
  return gadget_widget_get_font(GTK_WIDGET(button_label(record)));
}

const GadgetType& button_type() {
  static const GadgetType type = [] {
    GadgetType filled{};
    filled.record_size = sizeof(GadgetRecord);
    filled.type_number = TYPE_BUTTON;
    filled.get_state = button_get_state;
    filled.set_state = button_set_state;
    filled.get_text = button_get_text;
    filled.set_text = button_set_text;
    filled.set_font = button_set_font;
    filled.get_font = button_get_font;
    return filled;
  }();
  return type;
}

void button_align_label(GtkWidget* label, unsigned flags) {
  if (flags & BUTTON_ALIGN_RIGHT) {
    gtk_misc_set_alignment(GTK_MISC(label), 1.0, 0.5);
  } else if (flags & BUTTON_ALIGN_LEFT) {
    gtk_misc_set_alignment(GTK_MISC(label), 0.0, 0.5);
  }
}

}  // namespace

ObjectNumber button_create(ObjectNumber number, int x, int y, int width,
                           int height, const char* text, unsigned flags) {
  const GadgetType& type = button_type();
  GtkWidget* button = (flags & BUTTON_TOGGLE)
                          ? gtk_toggle_button_new_with_label("")
                          : gtk_button_new_with_label("");
  ObjectNumber id = 0;
  GadgetRecord* record = gadget_record_start(number, button, &id);
  if (!record) return 0;
  gtk_widget_show(button);
  gadget_place(button, x, y, width, height);

  GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
  button_align_label(label, flags);
  if (flags & BUTTON_WRAP) {
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_widget_set_size_request(label, width, height);
    g_signal_connect(button, "size-allocate",
                     G_CALLBACK(button_label_allocate), nullptr);
  }
  g_signal_connect(button, "clicked", G_CALLBACK(button_clicked),
                   reinterpret_cast<gpointer>(id));
  record->widget = button;
  record->type = &type;
  if (text) gtk_label_set_text(GTK_LABEL(label), text_to_toolkit(text).get());
  gadget_register(record, id);
  return gadget_creator_result(number, id);
}

void button_set_enabled(ObjectNumber number, bool enabled) {
  GadgetRecord* record = gadget_find(number);
  if (record != nullptr && record->type == &button_type()) gtk_widget_set_sensitive(record->widget, enabled);
}

void button_clicked(GtkWidget* widget, gpointer number) {
  // The user asked to close the window first; a click behind that request
  // must not start work that the close is about to abandon.
  if (event_queue_peek_kind() == EVENT_CLOSE) return;
  post_event(EVENT_GADGET, reinterpret_cast<ObjectNumber>(number),
             widget_window_number(widget), GADGET_EVENT_DEFAULT);
}

gboolean button_label_allocate(GtkWidget* button, GtkAllocation* allocation) {
  gtk_widget_set_size_request(gtk_bin_get_child(GTK_BIN(button)),
                              allocation->width, allocation->height);
  return FALSE;
}
