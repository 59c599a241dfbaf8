#include "tests/support/x_test_util.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

pid_t window_manager = 0;

Display* x_display() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

void x_sync() { XSync(x_display(), False); }

void pause_briefly() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

Window toplevel_xid(GtkWidget* widget) {
  GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
  GdkWindow* window = toplevel != nullptr ? gtk_widget_get_window(toplevel) : nullptr;
  return window != nullptr ? GDK_WINDOW_XID(window) : None;
}

// The server may still be delivering what it generated for the injected
// input; a few rounds of sync and pump take all of it in.
void settle() {
  for (int round = 0; round < 3; ++round) {
    x_sync();
    x_test_pump();
    pause_briefly();
  }
}

bool read_property(GtkWidget* widget, const char* property, int* format, unsigned long* count,
                   unsigned char** data) {
  Window window = toplevel_xid(widget);
  if (window == None) return false;
  Atom atom = XInternAtom(x_display(), property, False);
  Atom type = None;
  unsigned long remaining = 0;
  int status = XGetWindowProperty(x_display(), window, atom, 0, 65536, False, AnyPropertyType, &type,
                                  format, count, &remaining, data);
  if (status != Success || type == None) {
    if (*data != nullptr) XFree(*data);
    *data = nullptr;
    return false;
  }
  return true;
}

// A keycode that the keymap leaves without any keysym, or 0.
KeyCode spare_keycode() {
  Display* display = x_display();
  int first = 0;
  int last = 0;
  XDisplayKeycodes(display, &first, &last);
  int per_code = 0;
  KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &per_code);
  if (map == nullptr) return 0;
  KeyCode spare = 0;
  for (int code = last; code >= first && spare == 0; --code) {
    bool empty = true;
    for (int i = 0; i < per_code; ++i) empty = empty && map[(code - first) * per_code + i] == NoSymbol;
    if (empty) spare = static_cast<KeyCode>(code);
  }
  XFree(map);
  return spare;
}

// The keycode that types the keysym. A keysym that the keymap lacks (an
// umlaut on a US keymap) is bound to a spare keycode, and GDK is given the
// time to learn the new mapping.
KeyCode keycode_for(unsigned keysym) {
  KeyCode code = XKeysymToKeycode(x_display(), keysym);
  if (code != 0) return code;
  code = spare_keycode();
  if (code == 0) return 0;
  KeySym symbols[] = {keysym, keysym};
  XChangeKeyboardMapping(x_display(), code, 2, symbols, 1);
  x_test_wait_until([code, keysym] {
    guint keyval = 0;
    return gdk_keymap_translate_keyboard_state(gdk_keymap_get_default(), code, GdkModifierType(0), 0, &keyval,
                                               nullptr, nullptr, nullptr) &&
           keyval == keysym;
  });
  return code;
}

void fake_key(unsigned keysym, bool press) {
  KeyCode code = keycode_for(keysym);
  if (code != 0) XTestFakeKeyEvent(x_display(), code, press, CurrentTime);
}

void fake_modifiers(unsigned modifiers, bool press) {
  if (modifiers & X_TEST_SHIFT) fake_key(XK_Shift_L, press);
  if (modifiers & X_TEST_CONTROL) fake_key(XK_Control_L, press);
  if (modifiers & X_TEST_ALT) fake_key(XK_Alt_L, press);
}

}  // namespace

void x_test_pump(int max_iterations) {
  x_sync();
  for (int i = 0; i < max_iterations && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

void x_test_pump_for(int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    x_test_pump();
    pause_briefly();
  }
}

bool x_test_wait_until(const std::function<bool()>& condition, int timeout_ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    x_test_pump();
    pause_briefly();
  }
  return true;
}

bool x_test_wait_mapped(GtkWidget* widget, int timeout_ms) {
  return x_test_wait_until(
      [widget] {
        GdkWindow* window = gtk_widget_get_window(widget);
        GtkAllocation allocation;
        gtk_widget_get_allocation(widget, &allocation);
        return gtk_widget_get_realized(widget) && gtk_widget_get_mapped(widget) && window != nullptr &&
               gdk_window_is_viewable(window) && allocation.width > 1 && allocation.height > 1;
      },
      timeout_ms);
}

bool x_test_root_position(GtkWidget* widget, int x, int y, int* root_x, int* root_y) {
  GdkWindow* window = gtk_widget_get_window(widget);
  if (!gtk_widget_get_realized(widget) || window == nullptr) return false;
  int origin_x = 0;
  int origin_y = 0;
  gdk_window_get_origin(window, &origin_x, &origin_y);
  // A widget without a window of its own is placed inside its parent's, at
  // its allocation.
  if (!gtk_widget_get_has_window(widget)) {
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget, &allocation);
    origin_x += allocation.x;
    origin_y += allocation.y;
  }
  *root_x = origin_x + x;
  *root_y = origin_y + y;
  return true;
}

void x_test_move_pointer(GtkWidget* widget, int x, int y) {
  int root_x = 0;
  int root_y = 0;
  if (!x_test_root_position(widget, x, y, &root_x, &root_y)) return;
  XTestFakeMotionEvent(x_display(), -1, root_x, root_y, CurrentTime);
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
  // No pumping between the clicks: the second press must follow the first
  // within the double-click time.
  for (int i = 0; i < 2; ++i) {
    XTestFakeButtonEvent(x_display(), static_cast<unsigned>(button), True, CurrentTime);
    XTestFakeButtonEvent(x_display(), static_cast<unsigned>(button), False, CurrentTime);
  }
  settle();
}

void x_test_key(unsigned keysym, unsigned modifiers) {
  fake_modifiers(modifiers, true);
  fake_key(keysym, true);
  fake_key(keysym, false);
  fake_modifiers(modifiers, false);
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
  Window window = toplevel_xid(widget);
  if (window == None) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(x_display(), "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(x_display(), "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(x_display(), window, False, NoEventMask, &event);
  settle();
}

std::vector<long> x_test_window_property(GtkWidget* widget, const char* property) {
  int format = 0;
  unsigned long count = 0;
  unsigned char* data = nullptr;
  std::vector<long> items;
  if (!read_property(widget, property, &format, &count, &data)) return items;
  if (format == 32) {
    const long* values = reinterpret_cast<const long*>(data);
    items.assign(values, values + count);
  }
  XFree(data);
  return items;
}

std::string x_test_window_string_property(GtkWidget* widget, const char* property) {
  int format = 0;
  unsigned long count = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (!read_property(widget, property, &format, &count, &data)) return text;
  if (format == 8) text.assign(reinterpret_cast<const char*>(data), count);
  XFree(data);
  return text;
}

namespace {

bool window_manager_announced() {
  Display* display = x_display();
  Window root = DefaultRootWindow(display);
  Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, root, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &remaining,
                     &data);
  if (data != nullptr) XFree(data);
  return type == XA_WINDOW && count == 1;
}

}  // namespace

bool x_test_window_manager_start() {
  if (window_manager != 0) return true;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Its complaints about a missing configuration are of no interest here.
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char name[] = "openbox";
  char option[] = "--sm-disable";
  char* arguments[] = {name, option, nullptr};
  int failed = posix_spawnp(&window_manager, name, &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    window_manager = 0;
    return false;
  }
  if (x_test_wait_until(window_manager_announced, 10000)) return true;
  x_test_window_manager_stop();
  return false;
}

void x_test_window_manager_stop() {
  if (window_manager == 0) return;
  kill(window_manager, SIGTERM);
  waitpid(window_manager, nullptr, 0);
  window_manager = 0;
}
