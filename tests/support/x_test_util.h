#ifndef OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_
#define OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_

// Helpers for GUI tests that drive real windows on the test's own X server
// (every test executable runs under its own Xvfb, without a window manager).
//
// Input goes through the XTest extension, so it travels the same road as a
// user's: X server -> GDK -> GTK signal handlers. After every injected event
// the helpers wait for the X server (XSync) and pump GTK, so the handlers
// have run when the helper returns.
//
// Positions are relative to a widget's allocation: (0, 0) is the widget's top
// left corner, whether or not the widget has a GDK window of its own.
//
// Typical use:
//   toolkit_init();
//   ObjectNumber w = window_open(-1, 0, 0, 300, 200, "t", WINDOW_RESIZABLE);
//   ASSERT_TRUE(x_test_wait_mapped(window_handle(w)));
//   x_test_click(button_widget, 5, 5);
//   EXPECT_EQ(wait_event(0), EVENT_GADGET);
// Note that pumping dispatches GTK work, so events posted by handlers are
// queued by then; wait_event returns them without waiting.

#include <functional>
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;

// Dispatches pending GTK work, after letting the X server catch up (XSync),
// for at most `max_iterations` main loop iterations. Never blocks.
void x_test_pump(int max_iterations = 10000);

// Keeps dispatching GTK work for about `milliseconds`, sleeping briefly
// while there is none. For things that happen later (a window manager's
// reaction, a timer).
void x_test_pump_for(int milliseconds);

// Pumps until `condition` holds or `timeout_ms` passes; returns whether it
// holds. The condition is checked before the first pump.
bool x_test_wait_until(const std::function<bool()>& condition, int timeout_ms = 3000);

// Waits until the widget is realised, mapped and viewable on the screen (all
// its ancestors mapped) and has been given a size.
bool x_test_wait_mapped(GtkWidget* widget, int timeout_ms = 3000);

// Root window coordinates of the point (x, y) of the widget's allocation;
// false if the widget is not realised.
bool x_test_root_position(GtkWidget* widget, int x, int y, int* root_x, int* root_y);

// Moves the pointer to (x, y) of the widget, then pumps.
void x_test_move_pointer(GtkWidget* widget, int x, int y);

// Presses or releases a mouse button (1 left, 2 middle, 3 right) where the
// pointer is, then pumps.
void x_test_button(int button, bool press);

// Moves the pointer to (x, y) of the widget and clicks the button there.
void x_test_click(GtkWidget* widget, int x, int y, int button = 1);

// Two clicks within the double-click time, so GTK reports GDK_2BUTTON_PRESS.
void x_test_double_click(GtkWidget* widget, int x, int y, int button = 1);

// Modifier bits for x_test_key.
enum XTestModifier : unsigned {
  X_TEST_SHIFT = 1,
  X_TEST_CONTROL = 2,
  X_TEST_ALT = 4,
};

// Presses and releases the key of a keysym (GDK_KEY_* / XK_* values, e.g.
// GDK_Return, 'a' or 0xFC for u-umlaut), holding the given modifiers. A
// keysym missing from the keymap is bound to a spare key first. Key events
// go to the focused window: call x_test_focus first.
void x_test_key(unsigned keysym, unsigned modifiers = 0);

// Gives the X input focus to the widget's toplevel and waits until GTK
// reports it (there is no window manager to do it).
bool x_test_focus(GtkWidget* widget);

// Asks the widget's toplevel to close as a window manager's close button
// does (a WM_DELETE_WINDOW message), then pumps; GTK emits "delete-event".
void x_test_request_close(GtkWidget* widget);

// The 32-bit items of an X property of the widget's toplevel X window, as X
// hands them to a client (one long each), or empty if the property is unset.
// Example: x_test_window_property(window, "_MOTIF_WM_HINTS") gives
// {flags, functions, decorations, input mode, status}.
std::vector<long> x_test_window_property(GtkWidget* widget, const char* property);

// A property of 8-bit items (a string such as WM_NAME or _NET_WM_NAME), or ""
// if unset.
std::string x_test_window_string_property(GtkWidget* widget, const char* property);

// Starts a window manager (openbox, from scripts/install-deps) on the test's
// X server and waits until it has announced itself, for tests of what only a
// window manager does (minimise, maximise). Call after toolkit_init and before
// opening the windows. Returns false if it could not be started.
bool x_test_window_manager_start();

// Stops the window manager that x_test_window_manager_start started.
void x_test_window_manager_stop();

#endif  // OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_
