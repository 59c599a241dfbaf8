// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/x_test_util.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
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

void x_test_click(GtkWidget* widget, int x, int y, int button) {
  GdkWindow* window = gtk_widget_get_window(widget);
  if (!gtk_widget_get_realized(widget) || !window) return;
  int origin_x = 0, origin_y = 0;
  gdk_window_get_origin(window, &origin_x, &origin_y);
  GtkAllocation allocation{};  // a widget without a window of its own lies in its parent's
  if (!gtk_widget_get_has_window(widget)) gtk_widget_get_allocation(widget, &allocation);
  XTestFakeMotionEvent(x_display(), -1, origin_x + allocation.x + x, origin_y + allocation.y + y, CurrentTime);
  for (bool press : {true, false}) XTestFakeButtonEvent(x_display(), static_cast<unsigned>(button), press, CurrentTime);
  // The server may still be delivering what the input generated.
  for (int round = 0; round < 3; ++round) x_test_pump(), pause_briefly();
}
