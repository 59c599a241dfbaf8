// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/window_busy.h"

#include <gtk/gtk.h>

#include "toolkit/window.h"

namespace {

// The cursor a GDK window had before it was made busy, if it had its own.
constexpr char kKeyOwnCursor[] = "tq_own_cursor";

void cursor_set_busy(GdkWindow* window, GdkCursor* busy) {
  for (GList* child = gdk_window_peek_children(window); child != nullptr; child = child->next)
    cursor_set_busy(GDK_WINDOW(child->data), busy);
  if (busy != nullptr) {
    if (GdkCursor* own = gdk_window_get_cursor(window))
      g_object_set_data_full(G_OBJECT(window), kKeyOwnCursor, gdk_cursor_ref(own),
                             reinterpret_cast<GDestroyNotify>(gdk_cursor_unref));
    gdk_window_set_cursor(window, busy);
  } else {
    gdk_window_set_cursor(window, static_cast<GdkCursor*>(g_object_get_data(G_OBJECT(window), kKeyOwnCursor)));
    g_object_set_data(G_OBJECT(window), kKeyOwnCursor, nullptr);
  }
}

}  // namespace

void window_busy_set(ObjectNumber number, bool busy) {
  GtkWidget* window = window_handle(number);
  if (window == nullptr || gtk_widget_get_window(window) == nullptr) return;
  GdkCursor* watch = busy ? gdk_cursor_new_for_display(gtk_widget_get_display(window), GDK_WATCH) : nullptr;
  cursor_set_busy(gtk_widget_get_window(window), watch);
  if (watch != nullptr) gdk_cursor_unref(watch);
}
