// SPDX-License-Identifier: GPL-3.0-or-later
// The shared colour handlers of the editor and the explorer gadgets: text and
// background colours through the widget's modifier style.
#include <gtk/gtk.h>

#include "toolkit/gadget.h"

namespace {

// The states a colour applies to; selected and insensitive keep the theme's
// colours so that selections stay visible.
constexpr GtkStateType kColouredStates[] = {GTK_STATE_NORMAL, GTK_STATE_ACTIVE, GTK_STATE_PRELIGHT};

// 0xBBGGRR, 8 bits a channel, to GDK's 16-bit channels.
GdkColor colour_to_gdk(int colour) {
  GdkColor gdk{};
  gdk.red = static_cast<guint16>((colour & 0xFF) * 256);
  gdk.green = static_cast<guint16>(((colour >> 8) & 0xFF) * 256);
  gdk.blue = static_cast<guint16>(((colour >> 16) & 0xFF) * 256);
  return gdk;
}

void widget_apply_colour(GtkWidget* widget, int which, int colour) {
  GtkRcStyle* style = gtk_widget_get_modifier_style(widget);
  const GtkRcFlags flags = which == GADGET_COLOUR_TEXT ? GtkRcFlags(GTK_RC_FG | GTK_RC_TEXT)
                                                       : GtkRcFlags(GTK_RC_BG | GTK_RC_BASE);
  const GdkColor gdk = colour_to_gdk(colour);
  for (GtkStateType state : kColouredStates) {
    if (colour == -1) {
      style->color_flags[state] = GtkRcFlags(style->color_flags[state] & ~flags);
      continue;
    }
    if (which == GADGET_COLOUR_TEXT) {
      style->fg[state] = gdk;
      style->text[state] = gdk;
    } else {
      style->bg[state] = gdk;
      style->base[state] = gdk;
    }
    style->color_flags[state] = GtkRcFlags(style->color_flags[state] | flags);
  }
  gtk_widget_modify_style(widget, style);
}

}  // namespace

void gadget_shared_set_colour(GadgetRecord* record, int which, int colour) {
  if (which != GADGET_COLOUR_TEXT && which != GADGET_COLOUR_BACKGROUND) return;
  const std::intptr_t kept = colour == -1 ? 0 : std::intptr_t(colour) + 1;
  (which == GADGET_COLOUR_TEXT ? record->word5 : record->word6) = kept;
  widget_apply_colour(record->widget, which, colour);
  if (which == GADGET_COLOUR_BACKGROUND && record->outer) {
    widget_apply_colour(record->outer, which, colour);
  }
}

int gadget_shared_get_colour(GadgetRecord* record, int which) {
  if (which == GADGET_COLOUR_TEXT) return static_cast<int>(record->word5 - 1);
  if (which == GADGET_COLOUR_BACKGROUND) return static_cast<int>(record->word6 - 1);
  return -1;
}
