// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_
#define OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_

// Waiting for GTK on the test's Xvfb.

#include <functional>

typedef struct _GtkWidget GtkWidget;

void x_test_pump(int max_iterations = 10000);  // after XSync; never blocks
bool x_test_wait_until(const std::function<bool()>& condition, int timeout_ms = 3000);
bool x_test_wait_mapped(GtkWidget* widget, int timeout_ms = 3000);

#endif  // OSTRELM_TESTS_SUPPORT_X_TEST_UTIL_H_
