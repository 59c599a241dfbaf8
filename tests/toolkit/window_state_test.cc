// SPDX-License-Identifier: GPL-3.0-or-later
// Minimising and maximising need a window manager: this executable runs openbox.
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include "tests/support/event_test_util.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/window.h"

namespace {

TEST(WindowState, MinimisedWindowRestoredIntoMaximisedReportsMaximize) {
  event_test_init_layers();
  ASSERT_TRUE(x_test_window_manager_start()) << "openbox is needed (scripts/install-deps)";
  ObjectNumber window = window_open(-1, 40, 40, 300, 200, "state",
                                    WINDOW_RESIZABLE | WINDOW_MINIMIZE_BUTTON | WINDOW_MAXIMIZE_BUTTON);
  const auto in_state = [window](int set, int clear) {
    return x_test_wait_until([=] {
      const int state = gdk_window_get_state(gtk_widget_get_window(window_handle(window)));
      return (state & set) == set && !(state & clear);
    }, 5000);
  };
  EXPECT_TRUE(x_test_wait_mapped(window_handle(window)));
  event_test_drain(200);  // the window manager takes it in
  window_set_state(window, WINDOW_STATE_MINIMIZED);
  EXPECT_TRUE(in_state(GDK_WINDOW_STATE_ICONIFIED, 0));
  event_test_drain(200);
  window_set_state(window, WINDOW_STATE_MAXIMIZED);
  EXPECT_TRUE(in_state(GDK_WINDOW_STATE_MAXIMIZED, GDK_WINDOW_STATE_ICONIFIED));
  const std::vector<TestEvent> events = event_test_drain(300);
  EXPECT_TRUE(event_test_contains(events, EVENT_MAXIMIZE, window));
  EXPECT_FALSE(event_test_contains(events, EVENT_RESTORE)) << "it came back maximised, not normal";
  x_test_window_manager_stop();
}

}  // namespace
