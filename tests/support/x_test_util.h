#ifndef OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_
#define OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_

// GUI tests drive real windows on their own Xvfb. Input goes through XTest,
// the same road as a user's (X server -> GDK -> GTK handlers); every input
// helper then syncs with the server and pumps GTK, so the handlers have run
// (and posted their events) when it returns. Positions are relative to the
// widget's allocation, whether or not it has a GDK window of its own.

#include <functional>
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;

// Dispatches pending GTK work (at most `max_iterations`) after XSync; never blocks.
void x_test_pump(int max_iterations = 10000);
// Pumps for about `milliseconds`, for what happens later (timers, a window manager).
void x_test_pump_for(int milliseconds);
// Pumps until `condition` holds (checked first) or the time-out passes.
bool x_test_wait_until(const std::function<bool()>& condition, int timeout_ms = 3000);
// Waits until the widget is realised, viewable and has a size.
bool x_test_wait_mapped(GtkWidget* widget, int timeout_ms = 3000);

void x_test_move_pointer(GtkWidget* widget, int x, int y);
void x_test_button(int button, bool press);  // where the pointer is
void x_test_click(GtkWidget* widget, int x, int y, int button = 1);
// Two clicks within the double-click time (GDK_2BUTTON_PRESS).
void x_test_double_click(GtkWidget* widget, int x, int y, int button = 1);

enum XTestModifier : unsigned { X_TEST_SHIFT = 1 };
// Types a keysym (a keysym missing from the keymap is bound to a spare key)
// into the focused window; call x_test_focus first.
void x_test_key(unsigned keysym, unsigned modifiers = 0);
// Gives the X focus to the widget's toplevel (there is no window manager).
bool x_test_focus(GtkWidget* widget);
// Sends WM_DELETE_WINDOW to the widget's toplevel, as a close button does.
void x_test_request_close(GtkWidget* widget);

// An X property of the widget's toplevel: 32-bit items as longs (empty if
// unset), or an 8-bit string such as _NET_WM_NAME ("" if unset).
std::vector<long> x_test_window_property(GtkWidget* widget, const char* property);
std::string x_test_window_string_property(GtkWidget* widget, const char* property);

// Runs openbox on the test's server for what only a window manager does
// (minimise, maximise); call after toolkit_init, before opening windows.
bool x_test_window_manager_start();
void x_test_window_manager_stop();

#endif  // OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_
