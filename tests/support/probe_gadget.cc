#include "tests/support/probe_gadget.h"

#include <gtk/gtk.h>

namespace {

int frees = 0;

void probe_free(GadgetRecord*) { ++frees; }

std::string probe_get_text(GadgetRecord* record) { return gtk_button_get_label(GTK_BUTTON(record->widget)); }

void probe_set_text(GadgetRecord* record, const char* utf8) {
  gtk_button_set_label(GTK_BUTTON(record->widget), utf8);
}

const GadgetType* probe_type(bool with_handlers) {
  static const GadgetType full = [] {
    GadgetType t{};
    t.record_size = sizeof(GadgetRecord);
    t.free_hook = probe_free;
    t.get_text = probe_get_text;
    t.set_text = probe_set_text;
    t.set_font = gadget_shared_set_font;
    return t;
  }();
  static const GadgetType bare = [] {
    GadgetType t{};
    t.record_size = sizeof(GadgetRecord);
    t.free_hook = probe_free;
    return t;
  }();
  return with_handlers ? &full : &bare;
}

}  // namespace

int probe_gadget_frees() { return frees; }

ObjectNumber probe_gadget_create(ObjectNumber number, int x, int y, int width, int height,
                                 const ProbeOptions& options) {
  const GadgetType* type = probe_type(options.with_handlers);
  GtkWidget* button = gtk_button_new_with_label("");
  ObjectNumber gadget = 0;
  GadgetRecord* record = gadget_record_start(number, button, &gadget);
  if (!record) return 0;
  GtkWidget* outer = nullptr;
  if (options.with_outer) {
    outer = gtk_event_box_new();
    gtk_container_add(GTK_CONTAINER(outer), button);
  }
  GtkWidget* placed = outer ? outer : button;
  gadget_place(placed, x, y, width, height);
  gtk_widget_show_all(placed);
  record->widget = button;
  record->outer = outer;
  record->type = type;
  gadget_register(record, gadget);
  return gadget_creator_result(number, gadget);
}
