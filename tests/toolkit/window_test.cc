// The event queue and the windows that post into it, on a real X server.
#include "toolkit/window.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <chrono>
#include <utility>

#include "tests/support/event_test_util.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget_list.h"

namespace {

using Clock = std::chrono::steady_clock;

long milliseconds_since(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

gboolean count_call(gpointer calls) {
  ++*static_cast<int*>(calls);
  return FALSE;
}

GtkWidget* gadget_list_of(ObjectNumber window) {
  return static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(window_handle(window)), WINDOW_KEY_GADGET_LIST));
}

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { event_test_init_layers(); }
  void SetUp() override {
    event_test_drain();  // a quiet loop and an empty queue
    ASSERT_EQ(event_queue_peek_kind(), EVENT_NONE);
  }
  void TearDown() override {
    window_close_all();
    event_test_drain();
  }

  ObjectNumber open_shown(int x, int y, int width, int height, std::uint32_t flags) {
    ObjectNumber window = window_open(-1, x, y, width, height, "test", flags);
    EXPECT_TRUE(x_test_wait_mapped(window_handle(window)));
    event_test_drain(50);
    return window;
  }
};

TEST_F(WindowTest, WaitEventTimeOuts) {
  EXPECT_EQ(wait_event(0), EVENT_NONE);
  EXPECT_EQ(last_event_window(), -1);
  int calls = 0;
  g_idle_add(count_call, &calls);
  EXPECT_EQ(wait_event(0), EVENT_IDLE) << "GTK work that posts nothing";
  EXPECT_EQ(wait_event(0), EVENT_NONE);

  Clock::time_point start = Clock::now();
  EXPECT_EQ(wait_event(120), EVENT_NONE);
  const long waited = milliseconds_since(start);
  EXPECT_TRUE(waited >= 120 && waited < 400) << waited;

  g_timeout_add(40, count_call, &calls);
  start = Clock::now();
  EXPECT_EQ(wait_event(3000), EVENT_IDLE);
  EXPECT_LT(milliseconds_since(start), 1000) << "returns once GTK has work";
}

TEST_F(WindowTest, EventsOfOneIterationComeBackOneACallWithoutFurtherDispatch) {
  g_idle_add(+[](gpointer) -> gboolean {
    post_event(EVENT_SIZE, 0, 5, 0);
    post_event(EVENT_GADGET, 77, 5, 768);
    return FALSE;
  }, nullptr);
  EXPECT_EQ(wait_event(0), EVENT_SIZE);
  EXPECT_EQ(last_event_window(), 5);
  int calls = 0;
  g_idle_add(count_call, &calls);
  EXPECT_EQ(wait_event(-1), EVENT_GADGET) << "a queued event needs no GTK iteration, even blocking";
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(last_event_gadget(), 77);
  EXPECT_EQ(last_event_window(), 5);
  EXPECT_EQ(last_event_data(), 768);
  EXPECT_EQ(wait_event(0), EVENT_IDLE);
  EXPECT_EQ(calls, 1);
}

TEST_F(WindowTest, SuppressedEventsAreLostUntilTheLastEnd) {
  events_suppress_begin();
  events_suppress_begin();
  post_event(EVENT_GADGET, 1, 1, 0);
  events_suppress_end();
  post_event(EVENT_GADGET, 2, 1, 0);
  EXPECT_EQ(event_queue_peek_kind(), EVENT_NONE);
  events_suppress_end();
  events_suppress_end();  // unmatched: must not start suppressing
  post_event(EVENT_GADGET, 3, 1, 0);
  EXPECT_EQ(wait_event(0), EVENT_GADGET);
  EXPECT_EQ(last_event_gadget(), 3);
  EXPECT_EQ(wait_event(0), EVENT_NONE);
}


TEST_F(WindowTest, OpenedWindowIsNumberedSizedTitledAndCurrent) {
  ObjectNumber window = window_open(-1, 20, 30, 240, 160, "Tape \xa4 1", WINDOW_RESIZABLE);
  GtkWidget* handle = window_handle(window);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(window_number_of(handle), window);
  ASSERT_TRUE(x_test_wait_mapped(handle));
  EXPECT_TRUE(event_test_contains(event_test_drain(100), EVENT_EXPOSE, window));
  EXPECT_EQ(std::make_pair(window_width(window), window_height(window)), std::make_pair(240, 160));
  EXPECT_EQ(x_test_window_string_property(handle, "_NET_WM_NAME"), "Tape \xe2\x82\xac 1");
  EXPECT_EQ(gadget_list_container(), gadget_list_of(window));
}

TEST_F(WindowTest, ExplicitNumberInUseClosesTheOldWindow) {
  window_open(3, 0, 0, 100, 80, "old", 0);
  GtkWidget* old = window_handle(3);
  g_object_add_weak_pointer(G_OBJECT(old), reinterpret_cast<gpointer*>(&old));
  post_event(EVENT_GADGET, 1, 3, 0);
  ObjectNumber second = window_open(3, 0, 0, 120, 90, "new", 0);
  EXPECT_EQ(old, nullptr) << "the old window is destroyed";
  EXPECT_EQ(second, reinterpret_cast<ObjectNumber>(window_handle(3))) << "an explicit number returns the handle";
  EXPECT_EQ(window_width(3), 120);
  EXPECT_FALSE(event_test_contains(event_test_drain(), EVENT_GADGET, 3)) << "the old window's events went with it";

  window_open(0, 0, 0, 100, 80, "zero", 0);
  window_open(20, 0, 0, 100, 80, "twenty", 0);
  window_close_all();
  for (ObjectNumber number : {0, 3, 20}) EXPECT_EQ(window_handle(number), nullptr) << number;
}

// Thousands of records span many pool blocks; removal relinks head and tail.
TEST_F(WindowTest, ClosingAWindowDropsOnlyItsQueuedEvents) {
  ObjectNumber a = open_shown(0, 0, 100, 80, 0);
  ObjectNumber b = open_shown(200, 0, 100, 80, 0);
  std::vector<ObjectNumber> kept;
  for (int i = 0; i < 3000; ++i) {
    post_event(i % 3 == 0 ? EVENT_SIZE : EVENT_GADGET, i, i % 3 == 0 ? a : b, i);
    if (i % 3 != 0) kept.push_back(i);
  }
  post_event(EVENT_MOVE, 0, a, 0);
  window_close(a);
  EXPECT_EQ(window_handle(a), nullptr);
  post_event(EVENT_GADGET, 3000, b, 3000);  // the tail must be the last record kept
  kept.push_back(3000);
  std::vector<ObjectNumber> gadgets;
  for (const TestEvent& event : event_test_drain()) {
    ASSERT_NE(event.window, a) << "kind " << event.kind;
    if (event.kind == EVENT_GADGET) gadgets.push_back(event.gadget);
  }
  EXPECT_EQ(gadgets, kept);
  window_close(a);  // a second close does nothing
  post_event(EVENT_SIZE, 0, b, 0);
  event_queue_remove_window(b);
  post_event(EVENT_MOVE, 0, b, 0);  // an emptied queue takes events again
  EXPECT_EQ(wait_event(0), EVENT_MOVE);
}

TEST_F(WindowTest, ResizeThatAlsoMovesPostsOnlySizeAndAPlainMovePostsMove) {
  ObjectNumber window = open_shown(10, 10, 200, 150, WINDOW_RESIZABLE);
  GdkWindow* gdk_window = gtk_widget_get_window(window_handle(window));
  gdk_window_move_resize(gdk_window, 100, 120, 260, 190);
  std::vector<TestEvent> events = event_test_drain(300);
  EXPECT_TRUE(event_test_contains(events, EVENT_SIZE, window));
  EXPECT_FALSE(event_test_contains(events, EVENT_MOVE));
  EXPECT_EQ(std::make_pair(window_width(window), window_height(window)), std::make_pair(260, 190));
  for (int repeat = 0; repeat < 2; ++repeat) {
    gdk_window_move(gdk_window, 150, 160);
    events = event_test_drain(300);
    EXPECT_EQ(event_test_contains(events, EVENT_MOVE, window), repeat == 0) << "no change, no event";
    EXPECT_FALSE(event_test_contains(events, EVENT_SIZE));
  }
}

TEST_F(WindowTest, CloseRequestOnlyPostsClose) {
  ObjectNumber window = open_shown(0, 0, 100, 80, 0);
  x_test_request_close(window_handle(window));
  EXPECT_TRUE(event_test_wait_for(EVENT_CLOSE, window, 2000));
  EXPECT_NE(window_handle(window), nullptr) << "only the application closes a window";
}

TEST_F(WindowTest, KeepGadgetListLeavesTheCurrentContainerAlone) {
  ObjectNumber a = window_open(-1, 0, 0, 100, 80, "a", 0);
  ObjectNumber b = window_open(-1, 0, 0, 100, 80, "b", WINDOW_KEEP_GADGET_LIST);
  EXPECT_EQ(gadget_list_window(), window_handle(a));
  EXPECT_EQ(gadget_list_container(), gadget_list_of(a));
  EXPECT_EQ(gadget_list_use(window_handle(b)), window_handle(a));
  EXPECT_EQ(gadget_list_container(), gadget_list_of(b));
  EXPECT_EQ(gadget_list_use(nullptr), window_handle(b)) << "none only asks";
  window_close(b);
  EXPECT_EQ(gadget_list_container(), nullptr) << "no gadget may go into a destroyed window";

  // A window made elsewhere gets a container in its box.
  GtkWidget* foreign = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* box = gtk_vbox_new(FALSE, 0);
  gtk_container_add(GTK_CONTAINER(foreign), box);
  gadget_list_use(foreign);
  ASSERT_TRUE(GTK_IS_FIXED(gadget_list_container()));
  EXPECT_EQ(gtk_widget_get_parent(gadget_list_container()), box);
  gtk_widget_destroy(foreign);
}

// What a window manager reads from _MOTIF_WM_HINTS: {flags, functions, decorations, ...}.
TEST_F(WindowTest, DecorationsAndFunctionsReachTheWindowManagerHints) {
  const struct {
    std::uint32_t flags;
    long decorations;
    long functions;
  } cases[] = {
      {0x66, 62, 46},  // the main window: resizable, menu, minimise, centred
      {0x00, 2 | 8, 4 | 32},
      {WINDOW_RESIZABLE | WINDOW_MAXIMIZE_BUTTON, 2 | 8 | 4 | 64, 2 | 4 | 32 | 16},
      {WINDOW_UNDECORATED | WINDOW_MINIMIZE_BUTTON | WINDOW_RESIZABLE, 0, 2 | 4 | 32 | 8},
  };
  for (const auto& c : cases) {
    ObjectNumber window = window_open(-1, 0, 0, 200, 100, "hints", c.flags);
    std::vector<long> hints = x_test_window_property(window_handle(window), "_MOTIF_WM_HINTS");
    ASSERT_GE(hints.size(), 3u) << "flags " << c.flags;
    EXPECT_EQ(hints[0] & 3, 3) << "functions and decorations are both given";
    EXPECT_EQ(hints[1], c.functions) << "flags " << c.flags;
    EXPECT_EQ(hints[2], c.decorations) << "flags " << c.flags;
    window_close(window);
  }
}

TEST_F(WindowTest, PlacementFlags) {
  int x = 0, y = 0;
  ObjectNumber centred = open_shown(5, 5, 200, 100, WINDOW_CENTERED | WINDOW_RESIZABLE);
  gdk_window_get_origin(gtk_widget_get_window(window_handle(centred)), &x, &y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair((1280 - 200) / 2, (1024 - 100) / 2));
  ObjectNumber placed = open_shown(70, 90, 200, 100, WINDOW_RESIZABLE);
  gdk_window_get_origin(gtk_widget_get_window(window_handle(placed)), &x, &y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(70, 90));
  ObjectNumber hidden = window_open(-1, 0, 0, 100, 100, "hidden", WINDOW_HIDDEN);
  event_test_drain(50);
  EXPECT_FALSE(gtk_widget_get_visible(window_handle(hidden)));
  EXPECT_EQ(window_width(hidden), 100) << "the requested size until GTK reports one";
}

}  // namespace
