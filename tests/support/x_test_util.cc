// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/x_test_util.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <chrono>
#include <thread>

namespace {

Display* x_display() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }
void pause_briefly() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

}  // namespace

void x_test_pump(int max_iterations) {
  XSync(x_display(), False);
  for (int i = 0; i < max_iterations && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

bool x_test_wait_until(const std::function<bool()>& condition, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (; !condition(); x_test_pump(), pause_briefly())
    if (std::chrono::steady_clock::now() >= end) return false;
  return true;
}

bool x_test_wait_mapped(GtkWidget* widget, int timeout_ms) {
  return x_test_wait_until([widget] {
    GdkWindow* window = gtk_widget_get_window(widget);
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget, &allocation);
    return gtk_widget_get_mapped(widget) && window && gdk_window_is_viewable(window) && allocation.width > 1 &&
           allocation.height > 1;
  }, timeout_ms);
}
