// SPDX-License-Identifier: GPL-3.0-or-later
// The event queue and the windows that post into it, on a real X server.
#include "toolkit/window.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <chrono>

#include "tests/support/event_test_util.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget_list.h"

namespace {

const GSourceFunc count_call = [](gpointer calls) -> gboolean { ++*static_cast<int*>(calls); return FALSE; };

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { event_test_init_layers(); }
  void SetUp() override { event_test_drain(); }
  void TearDown() override {
    window_close_all();
    event_test_drain();
  }
  ObjectNumber open_shown(std::uint32_t flags) {
    ObjectNumber window = window_open(-1, 10, 10, 200, 150, "test", flags);
    EXPECT_TRUE(x_test_wait_mapped(window_handle(window)));
    event_test_drain(50);
    return window;
  }
};

TEST_F(WindowTest, WaitEventResultsAndQueue) {
  EXPECT_EQ(wait_event(0), EVENT_NONE);
  int calls = 0;
  g_idle_add(count_call, &calls);
  EXPECT_EQ(wait_event(0), EVENT_IDLE) << "GTK work that posts nothing";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(wait_event(120), EVENT_NONE);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(waited >= std::chrono::milliseconds(120) && waited < std::chrono::milliseconds(400));

  g_idle_add(+[](gpointer) -> gboolean {
    post_event(EVENT_SIZE, 0, 5, 0);
    post_event(EVENT_GADGET, 77, 5, 768);
    return FALSE;
  }, nullptr);
  EXPECT_EQ(wait_event(0), EVENT_SIZE);
  g_idle_add(count_call, &calls);
  EXPECT_EQ(wait_event(-1), EVENT_GADGET);
  EXPECT_EQ(calls, 1) << "a queued event needs no GTK iteration";
  EXPECT_EQ(last_event_gadget(), 77);
  EXPECT_EQ(last_event_window(), 5);
  EXPECT_EQ(last_event_data(), 768);

  events_suppress_begin();
  post_event(EVENT_GADGET, 1, 1, 0);
  events_suppress_end();
  events_suppress_end();  // unmatched: must not start suppressing
  post_event(EVENT_GADGET, 3, 1, 0);
  const std::vector<TestEvent> events = event_test_drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].gadget, 3);
}

// Hundreds of records span several pool blocks; removal relinks head and tail.
TEST_F(WindowTest, ClosingAWindowDropsOnlyItsQueuedEvents) {
  ObjectNumber a = open_shown(0), b = open_shown(0);
  std::vector<ObjectNumber> kept;
  for (int i = 0; i < 600; ++i) {
    post_event(EVENT_GADGET, i, i % 3 == 0 ? a : b, 0);
    if (i % 3 != 0) kept.push_back(i);
  }
  post_event(EVENT_MOVE, 0, a, 0);
  window_close(a);
  post_event(EVENT_GADGET, 600, b, 0);  // behind the last record kept
  kept.push_back(600);
  std::vector<ObjectNumber> gadgets;
  for (const TestEvent& event : event_test_drain())
    if (event.kind == EVENT_GADGET || event.window == a) gadgets.push_back(event.gadget);
  EXPECT_EQ(gadgets, kept);
}

TEST_F(WindowTest, ResizeThatAlsoMovesPostsOnlySize) {
  ObjectNumber window = open_shown(WINDOW_RESIZABLE);
  gdk_window_move_resize(gtk_widget_get_window(window_handle(window)), 100, 120, 260, 190);
  const std::vector<TestEvent> events = event_test_drain(300);
  EXPECT_TRUE(event_test_contains(events, EVENT_SIZE, window));
  EXPECT_FALSE(event_test_contains(events, EVENT_MOVE));
}

TEST_F(WindowTest, ExplicitNumberInUseClosesTheOldWindow) {
  window_open(3, 0, 0, 100, 80, "old", 0);
  GtkWidget* old = window_handle(3);
  g_object_add_weak_pointer(G_OBJECT(old), reinterpret_cast<gpointer*>(&old));
  window_open(3, 0, 0, 120, 90, "new", 0);
  EXPECT_EQ(old, nullptr);
  EXPECT_EQ(window_width(3), 120);
}

TEST_F(WindowTest, KeepGadgetListLeavesTheCurrentContainerAlone) {
  ObjectNumber a = window_open(-1, 0, 0, 100, 80, "a", 0);
  ObjectNumber b = window_open(-1, 0, 0, 100, 80, "b", WINDOW_KEEP_GADGET_LIST);
  EXPECT_EQ(gadget_list_container(), g_object_get_data(G_OBJECT(window_handle(a)), WINDOW_KEY_GADGET_LIST));
  gadget_list_use(window_handle(b));
  window_close(b);
  EXPECT_EQ(gadget_list_container(), nullptr) << "no gadget may go into a destroyed window";
}

// What a window manager reads from _MOTIF_WM_HINTS: {flags, functions, decorations, ...}.
TEST_F(WindowTest, DecorationsAndFunctionsReachTheWindowManagerHints) {
  const struct { std::uint32_t flags; long decorations, functions; } cases[] = {
      {0x66, 62, 46},  // the main window: resizable, menu, minimise, centred
      {0x00, 2 | 8, 4 | 32},
      {WINDOW_RESIZABLE | WINDOW_MAXIMIZE_BUTTON, 2 | 8 | 4 | 64, 2 | 4 | 32 | 16},
      {WINDOW_UNDECORATED | WINDOW_MINIMIZE_BUTTON | WINDOW_RESIZABLE, 0, 2 | 4 | 32 | 8},
  };
  for (const auto& c : cases) {
    ObjectNumber window = window_open(-1, 0, 0, 200, 100, "hints", c.flags);
    const std::vector<long> hints = x_test_window_property(window_handle(window), "_MOTIF_WM_HINTS");
    ASSERT_GE(hints.size(), 3u) << c.flags;
    EXPECT_EQ(hints[0] & 3, 3) << "functions and decorations are both given";
    EXPECT_EQ(hints[1], c.functions) << c.flags;
    EXPECT_EQ(hints[2], c.decorations) << c.flags;
    window_close(window);
  }
}

}  // namespace
