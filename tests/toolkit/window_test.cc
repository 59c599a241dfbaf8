#include "toolkit/window.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include "tests/support/event_test_util.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget_list.h"

namespace {

void note_destroyed(GtkWidget*, gpointer flag) { *static_cast<bool*>(flag) = true; }

GtkWidget* gadget_list_of(ObjectNumber window) {
  return static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(window_handle(window)), WINDOW_KEY_GADGET_LIST));
}

// What a window manager reads: {flags, functions, decorations, ...}.
std::vector<long> motif_hints(ObjectNumber window) {
  return x_test_window_property(window_handle(window), "_MOTIF_WM_HINTS");
}

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { event_test_init_layers(); }
  void TearDown() override {
    window_close_all();
    event_test_drain();
  }

  ObjectNumber open_shown(ObjectNumber number, int x, int y, int width, int height, std::uint32_t flags) {
    ObjectNumber result = window_open(number, x, y, width, height, "test", flags);
    ObjectNumber window = number == OBJECT_NUMBER_ANY ? result : number;
    EXPECT_TRUE(x_test_wait_mapped(window_handle(window)));
    event_test_drain(50);
    return window;
  }
};

TEST_F(WindowTest, OpenedWindowIsNumberedSizedAndCurrent) {
  ObjectNumber window = window_open(-1, 20, 30, 240, 160, "first", WINDOW_RESIZABLE);
  ASSERT_NE(window, 0);
  GtkWidget* handle = window_handle(window);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(window_number_of(handle), window);
  EXPECT_EQ(window_find(window)->flags, static_cast<std::uint32_t>(WINDOW_RESIZABLE));
  ASSERT_TRUE(x_test_wait_mapped(handle));
  EXPECT_TRUE(event_test_contains(event_test_drain(100), EVENT_EXPOSE, window)) << "the gadget list was drawn";
  EXPECT_EQ(window_width(window), 240);
  EXPECT_EQ(window_height(window), 160);
  EXPECT_EQ(gadget_list_window(), handle);
  EXPECT_EQ(gadget_list_container(), gadget_list_of(window));
  EXPECT_TRUE(GTK_IS_FIXED(gadget_list_container()));
  EXPECT_EQ(window_width(12345), 0);
  EXPECT_EQ(window_handle(window + 64), nullptr);
}

TEST_F(WindowTest, TitleIsConvertedToUtf8) {
  ObjectNumber window = window_open(-1, 0, 0, 100, 80, "Tape \xa4 1", 0);
  EXPECT_EQ(x_test_window_string_property(window_handle(window), "_NET_WM_NAME"), "Tape \xe2\x82\xac 1");
}

TEST_F(WindowTest, ExplicitNumberInUseClosesTheOldWindow) {
  ObjectNumber first = window_open(3, 0, 0, 100, 80, "old", 0);
  GtkWidget* old_handle = window_handle(3);
  EXPECT_EQ(first, reinterpret_cast<ObjectNumber>(old_handle)) << "an explicit number returns the handle";
  bool destroyed = false;
  g_signal_connect(old_handle, "destroy", G_CALLBACK(note_destroyed), &destroyed);
  post_event(EVENT_GADGET, 1, 3, 0);
  ObjectNumber second = window_open(3, 0, 0, 120, 90, "new", 0);
  EXPECT_TRUE(destroyed);
  ASSERT_NE(window_handle(3), nullptr);
  EXPECT_EQ(second, reinterpret_cast<ObjectNumber>(window_handle(3)));
  EXPECT_EQ(window_width(3), 120);
  EXPECT_FALSE(event_test_contains(event_test_drain(), EVENT_GADGET, 3)) << "the old window's events went with it";
}

TEST_F(WindowTest, ClosingAWindowDropsOnlyItsQueuedEvents) {
  ObjectNumber a = open_shown(-1, 0, 0, 100, 80, 0);
  ObjectNumber b = open_shown(-1, 200, 0, 100, 80, 0);
  post_event(EVENT_GADGET, 1, a, 0);
  post_event(EVENT_GADGET, 2, b, 0);
  post_event(EVENT_GADGET, 3, a, 0);
  post_event(EVENT_GADGET, 4, b, 0);
  window_close(a);
  EXPECT_EQ(window_handle(a), nullptr);
  EXPECT_EQ(window_width(a), 0);
  std::vector<ObjectNumber> gadgets;
  for (const TestEvent& event : event_test_drain()) {
    EXPECT_NE(event.window, a) << "kind " << event.kind;
    if (event.kind == EVENT_GADGET) gadgets.push_back(event.gadget);
  }
  EXPECT_EQ(gadgets, (std::vector<ObjectNumber>{2, 4}));
  window_close(a);  // a second close does nothing
}

TEST_F(WindowTest, ResizeThatAlsoMovesPostsOnlySizeAndAPlainMovePostsMove) {
  ObjectNumber window = open_shown(-1, 10, 10, 200, 150, WINDOW_RESIZABLE);
  GdkWindow* gdk_window = gtk_widget_get_window(window_handle(window));

  gdk_window_move_resize(gdk_window, 100, 120, 260, 190);
  std::vector<TestEvent> events = event_test_drain(300);
  EXPECT_TRUE(event_test_contains(events, EVENT_SIZE, window));
  EXPECT_FALSE(event_test_contains(events, EVENT_MOVE));
  EXPECT_EQ(window_width(window), 260);
  EXPECT_EQ(window_height(window), 190);

  gdk_window_move(gdk_window, 150, 160);
  events = event_test_drain(300);
  EXPECT_TRUE(event_test_contains(events, EVENT_MOVE, window));
  EXPECT_FALSE(event_test_contains(events, EVENT_SIZE));

  gdk_window_move(gdk_window, 150, 160);
  events = event_test_drain(200);
  EXPECT_FALSE(event_test_contains(events, EVENT_MOVE)) << "no change, no event";
}

TEST_F(WindowTest, CloseRequestOnlyPostsClose) {
  ObjectNumber window = open_shown(-1, 0, 0, 100, 80, 0);
  x_test_request_close(window_handle(window));
  std::vector<TestEvent> events;
  EXPECT_TRUE(event_test_wait_for(EVENT_CLOSE, window, 2000, &events));
  EXPECT_EQ(events.back().gadget, 0);
  event_test_drain(100);
  EXPECT_NE(window_handle(window), nullptr) << "only the application closes a window";
}

TEST_F(WindowTest, FocusMovingBetweenWindowsIsReported) {
  ObjectNumber a = open_shown(-1, 0, 0, 100, 80, 0);
  ObjectNumber b = open_shown(-1, 300, 0, 100, 80, 0);
  ASSERT_TRUE(x_test_focus(window_handle(a)));
  EXPECT_TRUE(event_test_wait_for(EVENT_FOCUS_IN, a, 2000));
  ASSERT_TRUE(x_test_focus(window_handle(b)));
  std::vector<TestEvent> events = event_test_drain(100);
  EXPECT_TRUE(event_test_contains(events, EVENT_FOCUS_OUT, a));
  EXPECT_TRUE(event_test_contains(events, EVENT_FOCUS_IN, b));
}

TEST_F(WindowTest, KeepGadgetListLeavesTheCurrentContainerAlone) {
  ObjectNumber a = window_open(-1, 0, 0, 100, 80, "a", 0);
  ObjectNumber b = window_open(-1, 0, 0, 100, 80, "b", WINDOW_KEEP_GADGET_LIST);
  EXPECT_EQ(gadget_list_window(), window_handle(a));
  EXPECT_EQ(gadget_list_container(), gadget_list_of(a));

  EXPECT_EQ(gadget_list_use(window_handle(b)), window_handle(a));
  EXPECT_EQ(gadget_list_container(), gadget_list_of(b));
  EXPECT_EQ(gadget_list_use(nullptr), window_handle(b)) << "none only asks";
  EXPECT_EQ(gadget_list_use(window_handle(a)), window_handle(b));
  EXPECT_EQ(gadget_list_container(), gadget_list_of(a));

  window_close(a);
  EXPECT_EQ(gadget_list_window(), nullptr) << "no gadget may go into a destroyed window";
  EXPECT_EQ(gadget_list_container(), nullptr);
}

TEST_F(WindowTest, WindowWithoutGadgetListGetsOneInItsBox) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* box = gtk_vbox_new(FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window), box);
  gadget_list_use(window);
  GtkWidget* container = gadget_list_container();
  ASSERT_TRUE(GTK_IS_FIXED(container));
  EXPECT_EQ(gtk_widget_get_parent(container), box);
  gtk_widget_destroy(window);
  EXPECT_EQ(gadget_list_container(), nullptr);

  // A window filled by another widget has no place for gadgets.
  window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_container_add(GTK_CONTAINER(window), gtk_label_new("full"));
  gadget_list_use(window);
  EXPECT_EQ(gadget_list_container(), nullptr);
  gtk_widget_destroy(window);
}

struct FlagCase {
  std::uint32_t flags;
  long decorations;
  long functions;
};

TEST_F(WindowTest, DecorationsAndFunctionsReachTheWindowManagerHints) {
  const FlagCase cases[] = {
      {0x66, 62, 46},  // the main window: resizable, menu, minimise, centred
      {0x00, 2 | 8, 4 | 32},
      {WINDOW_RESIZABLE | WINDOW_MAXIMIZE_BUTTON, 2 | 8 | 4 | 64, 2 | 4 | 32 | 16},
      {WINDOW_UNDECORATED | WINDOW_MINIMIZE_BUTTON | WINDOW_RESIZABLE, 0, 2 | 4 | 32 | 8},
  };
  for (const FlagCase& flag_case : cases) {
    ObjectNumber window = window_open(-1, 0, 0, 200, 100, "hints", flag_case.flags);
    std::vector<long> hints = motif_hints(window);
    ASSERT_GE(hints.size(), 3u) << "flags " << flag_case.flags;
    EXPECT_EQ(hints[0] & 3, 3) << "functions and decorations are both given";
    EXPECT_EQ(hints[1], flag_case.functions) << "flags " << flag_case.flags;
    EXPECT_EQ(hints[2], flag_case.decorations) << "flags " << flag_case.flags;
    window_close(window);
  }
}

TEST_F(WindowTest, PlacementFlags) {
  ObjectNumber centred = open_shown(-1, 5, 5, 200, 100, WINDOW_CENTERED | WINDOW_RESIZABLE);
  int x = 0;
  int y = 0;
  gdk_window_get_origin(gtk_widget_get_window(window_handle(centred)), &x, &y);
  EXPECT_EQ(x, (1280 - 200) / 2);
  EXPECT_EQ(y, (1024 - 100) / 2);

  ObjectNumber placed = open_shown(-1, 70, 90, 200, 100, WINDOW_RESIZABLE);
  gdk_window_get_origin(gtk_widget_get_window(window_handle(placed)), &x, &y);
  EXPECT_EQ(x, 70);
  EXPECT_EQ(y, 90);

  ObjectNumber fixed = open_shown(-1, 0, 0, 210, 110, 0);
  EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(window_handle(fixed))));

  ObjectNumber hidden = window_open(-1, 0, 0, 100, 100, "hidden", WINDOW_HIDDEN);
  event_test_drain(50);
  EXPECT_FALSE(gtk_widget_get_visible(window_handle(hidden)));
  EXPECT_EQ(window_width(hidden), 100) << "the requested size until GTK reports one";
}

TEST_F(WindowTest, CloseAllEndsEveryWindow) {
  ObjectNumber dynamic = window_open(-1, 0, 0, 100, 80, "d", 0);
  window_open(0, 0, 0, 100, 80, "zero", 0);
  window_open(20, 0, 0, 100, 80, "twenty", 0);
  EXPECT_EQ(window_number_of(window_handle(0)), 0);
  window_close_all();
  EXPECT_EQ(window_handle(dynamic), nullptr);
  EXPECT_EQ(window_handle(0), nullptr);
  EXPECT_EQ(window_handle(20), nullptr);
}

}  // namespace
