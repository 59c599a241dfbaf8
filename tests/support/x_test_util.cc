// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/x_test_util.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

namespace {

GPid window_manager = 0;

Display* x_display() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }
void pause_briefly() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

Window toplevel_xid(GtkWidget* widget) {
  GdkWindow* window = gtk_widget_get_window(gtk_widget_get_toplevel(widget));
  return window ? GDK_WINDOW_XID(window) : None;
}

// The server may still be delivering what injected input generated.
void settle() {
  for (int round = 0; round < 3; ++round) x_test_pump(), pause_briefly();
}

// X hands 32-bit items to a client as longs.
std::vector<long> read_property(Window window, const char* property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  if (window != None)
    XGetWindowProperty(x_display(), window, XInternAtom(x_display(), property, False), 0, 65536, False,
                       AnyPropertyType, &type, &format, &count, &remaining, &data);
  std::vector<long> items;
  const long* first = reinterpret_cast<long*>(data);
  if (data && type != None && format == 32) items.assign(first, first + count);
  if (data) XFree(data);
  return items;
}

}  // namespace

void x_test_pump(int max_iterations) {
  XSync(x_display(), False);
  for (int i = 0; i < max_iterations && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

void x_test_pump_for(int milliseconds) { x_test_wait_until([] { return false; }, milliseconds); }

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

void x_test_move_pointer(GtkWidget* widget, int x, int y) {
  GdkWindow* window = gtk_widget_get_window(widget);
  if (!gtk_widget_get_realized(widget) || !window) return;
  int origin_x = 0, origin_y = 0;
  gdk_window_get_origin(window, &origin_x, &origin_y);
  GtkAllocation allocation{};  // a widget without a window of its own lies in its parent's
  if (!gtk_widget_get_has_window(widget)) gtk_widget_get_allocation(widget, &allocation);
  XTestFakeMotionEvent(x_display(), -1, origin_x + allocation.x + x, origin_y + allocation.y + y, CurrentTime);
  settle();
}

void x_test_button(int button, bool press) {
  XTestFakeButtonEvent(x_display(), static_cast<unsigned>(button), press, CurrentTime);
  settle();
}

void x_test_click(GtkWidget* widget, int x, int y, int button) {
  x_test_move_pointer(widget, x, y);
  x_test_button(button, true);
  x_test_button(button, false);
}

void x_test_double_click(GtkWidget* widget, int x, int y, int button) {
  x_test_move_pointer(widget, x, y);
  // No pumping between the clicks: the second must follow within the double-click time.
  for (int i = 0; i < 4; ++i) XTestFakeButtonEvent(x_display(), static_cast<unsigned>(button), i % 2 == 0, CurrentTime);
  settle();
}

void x_test_key(unsigned keysym) {
  const KeyCode code = XKeysymToKeycode(x_display(), keysym);
  XTestFakeKeyEvent(x_display(), code, True, CurrentTime);
  XTestFakeKeyEvent(x_display(), code, False, CurrentTime);
  settle();
}

bool x_test_focus(GtkWidget* widget) {
  GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
  if (toplevel_xid(widget) == None || !GTK_IS_WINDOW(toplevel)) return false;
  XSetInputFocus(x_display(), toplevel_xid(widget), RevertToParent, CurrentTime);
  return x_test_wait_until([toplevel] { return gtk_window_has_toplevel_focus(GTK_WINDOW(toplevel)) != FALSE; });
}

std::vector<long> x_test_window_property(GtkWidget* widget, const char* property) {
  return read_property(toplevel_xid(widget), property);
}

bool x_test_window_manager_start() {
  gchar* arguments[] = {const_cast<gchar*>("openbox"), const_cast<gchar*>("--sm-disable"), nullptr};
  const auto flags = GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDOUT_TO_DEV_NULL |
                                 G_SPAWN_STDERR_TO_DEV_NULL);
  if (!g_spawn_async(nullptr, arguments, nullptr, flags, nullptr, nullptr, &window_manager, nullptr)) return false;
  if (x_test_wait_until([] {
        return !read_property(DefaultRootWindow(x_display()), "_NET_SUPPORTING_WM_CHECK").empty();
      }, 10000))
    return true;
  x_test_window_manager_stop();
  return false;
}

void x_test_window_manager_stop() {
  if (window_manager == 0) return;
  kill(window_manager, SIGTERM);
  waitpid(window_manager, nullptr, 0);
  window_manager = 0;
}
