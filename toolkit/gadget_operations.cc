// SPDX-License-Identifier: GPL-3.0-or-later
// The generic operations: look the gadget up, convert text toward GTK, call
// the type's handler, convert text back. Missing gadgets and missing handlers
// give the nothing result.
#include <gtk/gtk.h>

#include "runtime/text_encoding.h"
#include "toolkit/gadget.h"

namespace {

// The type of a gadget if the gadget exists, else nullptr.
const GadgetType* gadget_type_of(ObjectNumber number, GadgetRecord** record_out) {
  GadgetRecord* record = gadget_find(number);
  *record_out = record;
  return record ? record->type : nullptr;
}

}  // namespace

int gadget_add_item(ObjectNumber number, int position, const std::string& text, GdkPixbuf* image,
                    int flags) {
  GadgetRecord* record;
  const GadgetType* type = gadget_type_of(number, &record);
  if (!type || (!type->add_item_with_flags && !type->add_item)) return 0;
  ToolkitText utf8 = text_to_toolkit(text);
  if (type->add_item_with_flags) {
    return type->add_item_with_flags(record, position, utf8.get(), image, flags);
  }
  return type->add_item(record, position, utf8.get(), image);
}

void gadget_clear_items(ObjectNumber number) {
  GadgetRecord* record;
  const GadgetType* type = gadget_type_of(number, &record);
  if (type && type->clear_items) type->clear_items(record);
}

int gadget_count_items(ObjectNumber number) {
  GadgetRecord* record;
  const GadgetType* type = gadget_type_of(number, &record);
  return type && type->count_items ? type->count_items(record) : 0;
}

std::uint32_t gadget_get_item_state(ObjectNumber number, int item) {
  GadgetRecord* record;
  const GadgetType* type = gadget_type_of(number, &record);
  return type && type->get_item_state ? type->get_item_state(record, item) : 0;
}

std::string gadget_get_item_text(ObjectNumber number, int item, int column) {
  GadgetRecord* record;
  const GadgetType* type = gadget_type_of(number, &record);
  if (!type || !type->get_item_text) return std::string();
  return text_from_toolkit(type->get_item_text(record, item, column).c_str());
}

std::string gadget_get_text(ObjectNumber number) {
  GadgetRecord* record;
  const GadgetType* type = gadget_type_of(number, &record);
  if (!type || !type->get_text) return std::string();
  return text_from_toolkit(type->get_text(record).c_str());
}

void gadget_set_text(ObjectNumber number, const std::string& text) {
  GadgetRecord* record;
  const GadgetType* type = gadget_type_of(number, &record);
  if (!type || !type->set_text) return;
  type->set_text(record, text_to_toolkit(text).get());
}

void gadget_hide(ObjectNumber number, int state) {
  GadgetRecord* record = gadget_find(number);
  if (!record) return;
  if (state != 0) {
    gtk_widget_hide(gadget_placed_widget(record));
  } else {
    gtk_widget_show(gadget_placed_widget(record));
  }
}
