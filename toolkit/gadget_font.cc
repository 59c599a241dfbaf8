// SPDX-License-Identifier: GPL-3.0-or-later
// Fonts of gadgets: the layer's default font, gadget_set_font and the shared
// set-font / get-font handlers. Font descriptions belong to the caller; the
// layer only keeps pointers to them.
#include <gtk/gtk.h>

#include "toolkit/gadget.h"

namespace {

PangoFontDescription* default_font = nullptr;

// The application passes -1 for "no font".
PangoFontDescription* font_or_none(PangoFontDescription* font) {
  return reinterpret_cast<std::intptr_t>(font) == -1 ? nullptr : font;
}

}  // namespace

PangoFontDescription* gadget_default_font() { return default_font; }

void gadget_set_font(ObjectNumber number, PangoFontDescription* font) {
  font = font_or_none(font);
  if (number == OBJECT_NUMBER_ANY) {
    default_font = font;
    return;
  }
  GadgetRecord* record = gadget_find(number);
  if (record && record->type && record->type->set_font) record->type->set_font(record, font);
}

void gadget_widget_set_font(GtkWidget* widget, PangoFontDescription* font) {
  g_object_set_data(G_OBJECT(widget), "tq_gadget_font", font);
  gtk_widget_modify_font(widget, font);
}

PangoFontDescription* gadget_widget_get_font(GtkWidget* widget) {
  auto* stored = static_cast<PangoFontDescription*>(g_object_get_data(G_OBJECT(widget), "tq_gadget_font"));
  if (stored) return stored;
  GtkStyle* style = gtk_widget_get_style(widget);
  return style ? style->font_desc : nullptr;
}

void gadget_shared_set_font(GadgetRecord* record, PangoFontDescription* font) {
  gadget_widget_set_font(record->widget, font);
}

PangoFontDescription* gadget_shared_get_font(GadgetRecord* record) {
  return gadget_widget_get_font(record->widget);
}
