#include "gadgets/splitter.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <vector>

#include "gadgets/button.h"
#include "tests/support/event_test_util.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/window.h"

namespace {

// Number of splitter reports for the gadget within the time.
struct Reports {
  std::vector<TestEvent> events;
  int of(ObjectNumber gadget) const {
    int count = 0;
    for (const TestEvent& event : events) {
      count += event.kind == EVENT_GADGET && event.gadget == gadget;
    }
    return count;
  }
};

Reports collect_reports(int milliseconds) {
  Reports reports{event_test_drain(milliseconds)};
  for (const TestEvent& event : reports.events) {
    if (event.kind == EVENT_GADGET) {
      EXPECT_EQ(event.data, GADGET_EVENT_DEFAULT);
    }
  }
  return reports;
}

GtkWidget* placed(ObjectNumber gadget) {
  return gadget_placed_widget(gadget_find(gadget));
}

GtkPaned* paned_of(ObjectNumber splitter) {
  return GTK_PANED(gadget_find(splitter)->widget);
}

int stored(ObjectNumber splitter, const char* key) {
  return GPOINTER_TO_INT(
      g_object_get_data(G_OBJECT(gadget_find(splitter)->widget), key));
}

GtkRequisition requisition_of(ObjectNumber gadget) {
  GtkRequisition requisition;
  gtk_widget_size_request(placed(gadget), &requisition);
  return requisition;
}

class SplitterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    event_test_init_layers();
    gadget_layer_init();
  }

  void SetUp() override {
    window_ = window_open(-1, 0, 0, 1021, 700, "splitters", WINDOW_RESIZABLE);
    ASSERT_NE(window_, 0);
    ASSERT_TRUE(x_test_wait_mapped(window_handle(window_)));
    collect_reports(100);
  }

  void TearDown() override {
    window_close(window_);
    collect_reports(20);
  }

  ObjectNumber pane(int x) { return button_create(-1, x, 0, 50, 20, "pane"); }

  // The main window's arrangement: two side by side above a third.
  void nest() {
    left_ = pane(0);
    right_ = pane(60);
    bottom_ = pane(120);
    inner_ = splitter_create(-1, 0, 0, 920, 500, left_, right_, 3);
    outer_ = splitter_create(-1, 0, 0, 920, 700, inner_, bottom_, 2);
    ASSERT_NE(inner_, 0);
    ASSERT_NE(outer_, 0);
  }

  ObjectNumber window_ = 0;
  ObjectNumber left_ = 0, right_ = 0, bottom_ = 0, inner_ = 0, outer_ = 0;
};

TEST_F(SplitterTest, SideBySideTakesBothGadgetsWithTheBarHalfway) {
  ObjectNumber tree = pane(0);
  ObjectNumber list = pane(200);
  GtkWidget* fixed = gtk_widget_get_parent(placed(tree));
  ObjectNumber splitter = splitter_create(-1, 0, 0, 920, 500, tree, list, 3);
  ASSERT_NE(splitter, 0);
  collect_reports(100);

  GtkPaned* paned = paned_of(splitter);
  EXPECT_TRUE(GTK_IS_HPANED(paned));
  EXPECT_EQ(gtk_widget_get_parent(GTK_WIDGET(paned)), fixed);
  EXPECT_EQ(gtk_paned_get_child1(paned), placed(tree));
  EXPECT_EQ(gtk_paned_get_child2(paned), placed(list));
  EXPECT_EQ(gtk_paned_get_position(paned), 460);
  // The gadgets keep their numbers and handlers in their new place.
  EXPECT_EQ(gadget_get_text(list), "pane");
}

TEST_F(SplitterTest, OneAboveTheOtherHalvesTheHeightTruncating) {
  ObjectNumber splitter = splitter_create(-1, 0, 0, 920, 701, pane(0), pane(60), 2);
  collect_reports(100);
  EXPECT_TRUE(GTK_IS_VPANED(paned_of(splitter)));
  EXPECT_EQ(gtk_paned_get_position(paned_of(splitter)), 350);
}

TEST_F(SplitterTest, NestedSplittersReportTheirFirstAllocation) {
  nest();
  Reports reports = collect_reports(200);
  EXPECT_GE(reports.of(inner_), 1);
  EXPECT_GE(reports.of(outer_), 1);
  EXPECT_EQ(gtk_paned_get_child1(paned_of(outer_)), placed(inner_));
  EXPECT_EQ(gtk_paned_get_position(paned_of(inner_)), 460);
  EXPECT_EQ(gtk_paned_get_position(paned_of(outer_)), 350);
  EXPECT_EQ(stored(outer_, "tq_splitter_position"), 350);
  EXPECT_EQ(stored(outer_, "tq_splitter_width"), 920);
  EXPECT_EQ(stored(outer_, "tq_splitter_height"), 700);
}

TEST_F(SplitterTest, UnchangedAllocationPostsNothing) {
  nest();
  collect_reports(200);
  gtk_widget_queue_resize(GTK_WIDGET(paned_of(outer_)));
  Reports reports = collect_reports(200);
  EXPECT_EQ(reports.of(outer_), 0);
  EXPECT_EQ(reports.of(inner_), 0);
}

TEST_F(SplitterTest, ResizeReportsTheNextAllocationAndThatOfTheNestedOne) {
  nest();
  collect_reports(200);

  // The nested splitter keeps its position and requested size (its pane
  // asks for 1 x 1); it reports only because the outer one makes it.
  gadget_resize(outer_, GADGET_IGNORE, GADGET_IGNORE, 899, 700);
  Reports reports = collect_reports(200);
  EXPECT_EQ(reports.of(outer_), 1);
  EXPECT_EQ(reports.of(inner_), 1);
  GtkAllocation allocation;
  gtk_widget_get_allocation(placed(outer_), &allocation);
  EXPECT_EQ(allocation.x, 0);
  EXPECT_EQ(allocation.y, 0);
  EXPECT_EQ(allocation.width, 899);
  EXPECT_EQ(requisition_of(outer_).width, 899);
  EXPECT_EQ(requisition_of(outer_).height, 700);

  // The same size again: nothing to lay out, but the next allocation is
  // reported although neither position nor requested size changed, and so
  // is the next one of the nested splitter.
  gadget_resize(outer_, GADGET_IGNORE, GADGET_IGNORE, 899, 700);
  gtk_widget_queue_resize(placed(outer_));
  EXPECT_EQ(collect_reports(200).of(outer_), 1);
  EXPECT_EQ(stored(inner_, "tq_splitter_width"), 0);
  gtk_widget_queue_resize(placed(inner_));
  EXPECT_EQ(collect_reports(200).of(inner_), 1);
}

TEST_F(SplitterTest, ResizeToWidthZeroOnlyForgetsTheReportedSize) {
  nest();
  collect_reports(200);
  gadget_resize(outer_, GADGET_IGNORE, GADGET_IGNORE, 0, 700);
  EXPECT_EQ(stored(outer_, "tq_splitter_width"), 0);
  EXPECT_EQ(stored(outer_, "tq_splitter_height"), 0);
  EXPECT_EQ(requisition_of(outer_).width, 920);
  EXPECT_EQ(requisition_of(outer_).height, 700);

  // Whatever allocation comes next is reported.
  gtk_widget_queue_resize(GTK_WIDGET(paned_of(outer_)));
  EXPECT_EQ(collect_reports(200).of(outer_), 1);
}

TEST_F(SplitterTest, DraggingTheBarReportsEachMove) {
  nest();
  collect_reports(200);
  GtkWidget* paned = GTK_WIDGET(paned_of(inner_));
  GtkAllocation allocation;
  gtk_widget_get_allocation(paned, &allocation);
  gint handle = 0;
  gtk_widget_style_get(paned, "handle-size", &handle, nullptr);
  int y = allocation.height / 2;
  int x = gtk_paned_get_position(GTK_PANED(paned)) + handle / 2;

  x_test_move_pointer(paned, x, y);
  x_test_button(1, true);
  for (int step = 1; step <= 4; ++step) x_test_move_pointer(paned, x + 25 * step, y);
  x_test_button(1, false);
  Reports reports = collect_reports(300);
  EXPECT_GE(reports.of(inner_), 1);
  EXPECT_LE(reports.of(inner_), 4);
  EXPECT_EQ(gtk_paned_get_position(GTK_PANED(paned)), 560);
}

TEST_F(SplitterTest, RefusesPanesThatAreMissingRepeatedOrAboutToBeReplaced) {
  ObjectNumber button = pane(0);
  GtkWidget* fixed = gtk_widget_get_parent(placed(button));
  EXPECT_EQ(splitter_create(-1, 0, 0, 100, 100, button, button, 1), 0);
  EXPECT_EQ(splitter_create(-1, 0, 0, 100, 100, button, 15, 1), 0);
  EXPECT_EQ(gtk_widget_get_parent(placed(button)), fixed);

  // Number 7 would be destroyed before the panes were filled; so would the
  // gadgets inside splitter 8.
  button_create(7, 60, 0, 50, 20, "seven");
  EXPECT_EQ(splitter_create(7, 0, 0, 100, 100, button, 7, 1), 0);
  EXPECT_EQ(gadget_get_text(7), "seven");
  ObjectNumber left = pane(120), right = pane(180);
  splitter_create(8, 0, 100, 200, 100, left, right, 1);
  EXPECT_EQ(splitter_create(8, 0, 0, 100, 100, left, button, 1), 0);
  EXPECT_EQ(gtk_paned_get_child1(paned_of(8)), placed(left));
  EXPECT_EQ(gtk_widget_get_parent(placed(button)), fixed);
}

TEST_F(SplitterTest, ReplacingTheSplitterEndsTheGadgetsInItsPanes) {
  // Static numbers, which stay valid to look up after their gadgets end.
  const ObjectNumber first = 1, second = 2;
  button_create(first, 0, 0, 50, 20, "first");
  button_create(second, 60, 0, 50, 20, "second");
  ObjectNumber handle = splitter_create(3, 0, 0, 300, 200, first, second, 1);
  ASSERT_TRUE(GTK_IS_HPANED(reinterpret_cast<GtkWidget*>(handle)));
  EXPECT_EQ(gadget_find(3)->word6, first);
  EXPECT_EQ(gadget_find(3)->word7, second);

  button_create(3, 0, 0, 80, 20, "new");
  EXPECT_EQ(gadget_find(first), nullptr);
  EXPECT_EQ(gadget_find(second), nullptr);
  EXPECT_EQ(gadget_get_text(3), "new");
}

}  // namespace
