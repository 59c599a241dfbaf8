// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_
#define OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_

// Real input through XTest on the test's Xvfb; each input helper syncs and
// pumps GTK, so the handlers have run when it returns. Positions are relative
// to the widget's allocation.

#include <functional>
#include <vector>

typedef struct _GtkWidget GtkWidget;

void x_test_pump(int max_iterations = 10000);  // after XSync; never blocks
void x_test_pump_for(int milliseconds);
bool x_test_wait_until(const std::function<bool()>& condition, int timeout_ms = 3000);
bool x_test_wait_mapped(GtkWidget* widget, int timeout_ms = 3000);

void x_test_move_pointer(GtkWidget* widget, int x, int y);
void x_test_button(int button, bool press);
void x_test_click(GtkWidget* widget, int x, int y, int button = 1);
void x_test_double_click(GtkWidget* widget, int x, int y, int button = 1);

void x_test_key(unsigned keysym);  // into the focused window; the keysym must be in the keymap
bool x_test_focus(GtkWidget* widget);  // there is no window manager to do it

// A 32-bit X property of the widget's toplevel (empty if unset).
std::vector<long> x_test_window_property(GtkWidget* widget, const char* property);

// Runs openbox on the test's server for minimising and maximising.
bool x_test_window_manager_start();
void x_test_window_manager_stop();

#endif  // OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_
