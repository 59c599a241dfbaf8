#include "tests/support/x_test_util.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

GPid window_manager = 0;

Display* x_display() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }
void pause_briefly() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

Window toplevel_xid(GtkWidget* widget) {
  GdkWindow* window = gtk_widget_get_window(gtk_widget_get_toplevel(widget));
  return window ? GDK_WINDOW_XID(window) : None;
}

// The server may still be delivering what it generated for injected input;
// a few rounds of sync and pump take all of it in.
void settle() {
  for (int round = 0; round < 3; ++round) { x_test_pump(); pause_briefly(); }
}

// The raw items of a window property and their format (0 if unset); X hands
// 32-bit items to a client as longs.
std::string read_property(Window window, const char* property, int* format) {
  Atom type = None;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  *format = 0;
  if (window != None)
    XGetWindowProperty(x_display(), window, XInternAtom(x_display(), property, False), 0, 65536, False,
                       AnyPropertyType, &type, format, &count, &remaining, &data);
  if (type == None) *format = 0;
  std::string bytes;
  if (data && *format)
    bytes.assign(reinterpret_cast<char*>(data), count * (*format == 32 ? sizeof(long) : *format / 8));
  if (data) XFree(data);
  return bytes;
}

// A keysym the keymap lacks (an umlaut on a US keymap) is bound to a keycode
// without symbols, and GDK is given time to learn the new mapping.
KeyCode keycode_for(unsigned keysym) {
  Display* display = x_display();
  KeyCode code = XKeysymToKeycode(display, keysym);
  if (code != 0) return code;
  int first = 0, last = 0, per_code = 0;
  XDisplayKeycodes(display, &first, &last);
  KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &per_code);
  for (int c = last; map && c >= first && code == 0; --c) {
    bool empty = true;
    for (int i = 0; i < per_code; ++i) empty = empty && map[(c - first) * per_code + i] == NoSymbol;
    if (empty) code = static_cast<KeyCode>(c);
  }
  if (map) XFree(map);
  if (code == 0) return 0;
  KeySym symbols[] = {keysym, keysym};
  XChangeKeyboardMapping(display, code, 2, symbols, 1);
  x_test_wait_until([code, keysym] {
    guint keyval = 0;
    return gdk_keymap_translate_keyboard_state(gdk_keymap_get_default(), code, GdkModifierType(0), 0, &keyval,
                                               nullptr, nullptr, nullptr) && keyval == keysym;
  });
  return code;
}

void fake_key(unsigned keysym, bool press) {
  if (KeyCode code = keycode_for(keysym)) XTestFakeKeyEvent(x_display(), code, press, CurrentTime);
}

void fake_button(int button, bool press) {
  XTestFakeButtonEvent(x_display(), static_cast<unsigned>(button), press, CurrentTime);
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
  // A widget without a window of its own lies inside its parent's, at its allocation.
  GtkAllocation allocation{};
  if (!gtk_widget_get_has_window(widget)) gtk_widget_get_allocation(widget, &allocation);
  XTestFakeMotionEvent(x_display(), -1, origin_x + allocation.x + x, origin_y + allocation.y + y, CurrentTime);
  settle();
}

void x_test_button(int button, bool press) {
  fake_button(button, press);
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
  for (int i = 0; i < 4; ++i) fake_button(button, i % 2 == 0);
  settle();
}

void x_test_key(unsigned keysym, unsigned modifiers) {
  if (modifiers & X_TEST_SHIFT) fake_key(XK_Shift_L, true);
  fake_key(keysym, true);
  fake_key(keysym, false);
  if (modifiers & X_TEST_SHIFT) fake_key(XK_Shift_L, false);
  settle();
}

bool x_test_focus(GtkWidget* widget) {
  GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
  Window window = toplevel_xid(widget);
  if (window == None || !GTK_IS_WINDOW(toplevel)) return false;
  XSetInputFocus(x_display(), window, RevertToParent, CurrentTime);
  return x_test_wait_until([toplevel] { return gtk_window_has_toplevel_focus(GTK_WINDOW(toplevel)) != FALSE; });
}

void x_test_request_close(GtkWidget* widget) {
  XEvent event{};
  event.xclient = XClientMessageEvent{ClientMessage, 0, False, x_display(), toplevel_xid(widget),
                                      XInternAtom(x_display(), "WM_PROTOCOLS", False), 32, {}};
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(x_display(), "WM_DELETE_WINDOW", False));
  if (event.xclient.window != None) XSendEvent(x_display(), event.xclient.window, False, NoEventMask, &event);
  settle();
}

std::vector<long> x_test_window_property(GtkWidget* widget, const char* property) {
  int format = 0;
  const std::string bytes = read_property(toplevel_xid(widget), property, &format);
  std::vector<long> items(format == 32 ? bytes.size() / sizeof(long) : 0);
  std::memcpy(items.data(), bytes.data(), items.size() * sizeof(long));
  return items;
}

std::string x_test_window_string_property(GtkWidget* widget, const char* property) {
  int format = 0;
  std::string bytes = read_property(toplevel_xid(widget), property, &format);
  return format == 8 ? bytes : "";
}

bool x_test_window_manager_start() {
  gchar* arguments[] = {const_cast<gchar*>("openbox"), const_cast<gchar*>("--sm-disable"), nullptr};
  // Its complaints about a missing configuration are of no interest here.
  const auto flags = GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDOUT_TO_DEV_NULL |
                                 G_SPAWN_STDERR_TO_DEV_NULL);
  if (window_manager == 0 &&
      !g_spawn_async(nullptr, arguments, nullptr, flags, nullptr, nullptr, &window_manager, nullptr))
    return false;
  int format = 0;
  const auto announced = [&format] {
    return read_property(DefaultRootWindow(x_display()), "_NET_SUPPORTING_WM_CHECK", &format).size() == sizeof(long);
  };
  if (x_test_wait_until(announced, 10000)) return true;
  x_test_window_manager_stop();
  return false;
}

void x_test_window_manager_stop() {
  if (window_manager == 0) return;
  kill(window_manager, SIGTERM);
  waitpid(window_manager, nullptr, 0);
  window_manager = 0;
}
