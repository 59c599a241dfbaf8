// Minimising and maximising need a window manager: this executable runs openbox.
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include "tests/support/event_test_util.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/window.h"

namespace {

bool has_state(ObjectNumber window, GdkWindowState state) {
  return (gdk_window_get_state(gtk_widget_get_window(window_handle(window))) & state) != 0;
}

class WindowStateTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    event_test_init_layers();
    ASSERT_TRUE(x_test_window_manager_start()) << "openbox is needed (scripts/install-deps)";
  }
  static void TearDownTestSuite() { x_test_window_manager_stop(); }
  void TearDown() override {
    window_close_all();
    event_test_drain();
  }
  static constexpr std::uint32_t kFlags = WINDOW_RESIZABLE | WINDOW_MINIMIZE_BUTTON | WINDOW_MAXIMIZE_BUTTON;
};

TEST_F(WindowStateTest, MinimisedWindowRestoredIntoMaximisedReportsMaximize) {
  ObjectNumber window = window_open(-1, 40, 40, 300, 200, "state", kFlags);
  ASSERT_TRUE(x_test_wait_mapped(window_handle(window)));
  event_test_drain(200);
  window_set_state(window, WINDOW_STATE_MINIMIZED);
  ASSERT_TRUE(event_test_wait_for(EVENT_MINIMIZE, window, 5000));
  ASSERT_TRUE(x_test_wait_until([window] { return has_state(window, GDK_WINDOW_STATE_ICONIFIED); }));
  event_test_drain(200);

  window_set_state(window, WINDOW_STATE_MAXIMIZED);
  ASSERT_TRUE(x_test_wait_until([window] {
    return has_state(window, GDK_WINDOW_STATE_MAXIMIZED) && !has_state(window, GDK_WINDOW_STATE_ICONIFIED);
  }, 5000));
  std::vector<TestEvent> events = event_test_drain(300);
  EXPECT_TRUE(event_test_contains(events, EVENT_MAXIMIZE, window));
  EXPECT_FALSE(event_test_contains(events, EVENT_RESTORE)) << "it came back maximised, not normal";
  EXPECT_FALSE(event_test_contains(events, EVENT_MINIMIZE));

  window_set_state(window, WINDOW_STATE_NORMAL);
  events.clear();
  EXPECT_TRUE(event_test_wait_for(EVENT_RESTORE, window, 5000, &events));
  EXPECT_FALSE(event_test_contains(events, EVENT_MAXIMIZE));
}

TEST_F(WindowStateTest, StartFlagsOpenTheWindowMaximisedOrMinimised) {
  ObjectNumber maximised = window_open(-1, 0, 0, 300, 200, "max", kFlags | WINDOW_START_MAXIMIZED);
  EXPECT_TRUE(event_test_wait_for(EVENT_MAXIMIZE, maximised, 5000));
  EXPECT_TRUE(has_state(maximised, GDK_WINDOW_STATE_MAXIMIZED));
  ObjectNumber minimised = window_open(-1, 0, 0, 300, 200, "min", kFlags | WINDOW_START_MINIMIZED);
  EXPECT_TRUE(x_test_wait_until([minimised] { return has_state(minimised, GDK_WINDOW_STATE_ICONIFIED); }, 5000));
}

}  // namespace
