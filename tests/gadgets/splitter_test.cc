#include "gadgets/splitter.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <map>
#include <vector>

#include "gadgets/button.h"
#include "tests/support/gadget_window_fixture.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

GtkWidget* placed(ObjectNumber gadget) { return gadget_placed_widget(gadget_find(gadget)); }
GtkPaned* paned_of(ObjectNumber splitter) { return GTK_PANED(gadget_find(splitter)->widget); }
// Allocated x, y and width, then requested width and height.
std::vector<int> layout(ObjectNumber gadget) {
  GtkAllocation allocation;
  GtkRequisition requisition;
  gtk_widget_get_allocation(placed(gadget), &allocation);
  gtk_widget_size_request(placed(gadget), &requisition);
  return {allocation.x, allocation.y, allocation.width, requisition.width, requisition.height};
}

// The main window's arrangement: two side by side above a third.
class SplitterTest : public GadgetWindowTest {
 protected:
  void SetUp() override {
    GadgetWindowTest::SetUp();
    inner_ = splitter_create(-1, 0, 0, 920, 500, pane(0), pane(60), 3);
    outer_ = splitter_create(-1, 0, 0, 920, 700, inner_, pane(120), 2);
    ASSERT_NE(outer_, 0);
  }
  static ObjectNumber pane(int x) { return button_create(-1, x, 0, 50, 20, "pane"); }
  // The reports (all GADGET_EVENT_DEFAULT) of the next 200 ms, by gadget.
  static std::map<ObjectNumber, int> reports() {
    std::map<ObjectNumber, int> count;
    for (const TestEvent& event : gadget_events(200)) {
      EXPECT_EQ(event.data, GADGET_EVENT_DEFAULT);
      ++count[event.gadget];
    }
    return count;
  }

  ObjectNumber inner_ = 0, outer_ = 0;
};

TEST_F(SplitterTest, NestedSplittersPutTheBarHalfwayAndReportOnlyNewAllocations) {
  EXPECT_TRUE(GTK_IS_HPANED(paned_of(inner_)));
  EXPECT_EQ(gtk_paned_get_child1(paned_of(outer_)), placed(inner_));
  std::map<ObjectNumber, int> first = reports();
  EXPECT_TRUE(first[inner_] >= 1 && first[outer_] >= 1);
  EXPECT_EQ(gtk_paned_get_position(paned_of(inner_)), 460);
  EXPECT_EQ(gtk_paned_get_position(paned_of(outer_)), 350);

  gtk_widget_queue_resize(GTK_WIDGET(paned_of(outer_)));
  EXPECT_TRUE(reports().empty());
  // An odd height is halved, truncating.
  const ObjectNumber odd = splitter_create(-1, 0, 0, 920, 701, pane(0), pane(60), 2);
  reports();
  EXPECT_EQ(gtk_paned_get_position(paned_of(odd)), 350);
}

TEST_F(SplitterTest, ResizeReportsTheNextAllocationAndThatOfTheNestedOne) {
  reports();
  // The nested splitter keeps its position and requested size; it reports
  // only because the outer one makes it.
  gadget_resize(outer_, GADGET_IGNORE, GADGET_IGNORE, 899, 700);
  std::map<ObjectNumber, int> resized = reports();
  EXPECT_EQ(resized[outer_], 1);
  EXPECT_EQ(resized[inner_], 1);
  EXPECT_EQ(layout(outer_), (std::vector<int>{0, 0, 899, 899, 700}));

  // The same size again: nothing to lay out, but the next allocation is
  // reported although nothing changed, and so is the nested splitter's.
  gadget_resize(outer_, GADGET_IGNORE, GADGET_IGNORE, 899, 700);
  gtk_widget_queue_resize(placed(outer_));
  EXPECT_EQ(reports()[outer_], 1);
  gtk_widget_queue_resize(placed(inner_));
  EXPECT_EQ(reports()[inner_], 1);

  // Width 0 only forgets the reported size: the next allocation is reported.
  gadget_resize(outer_, GADGET_IGNORE, GADGET_IGNORE, 0, 700);
  EXPECT_EQ(layout(outer_), (std::vector<int>{0, 0, 899, 899, 700}));
  gtk_widget_queue_resize(placed(outer_));
  EXPECT_EQ(reports()[outer_], 1);
}

TEST_F(SplitterTest, RefusesUnfitPanesAndEndsThoseItHeldWhenReplaced) {
  const ObjectNumber button = pane(0);
  GtkWidget* fixed = gtk_widget_get_parent(placed(button));
  EXPECT_EQ(splitter_create(-1, 0, 0, 100, 100, button, button, 1), 0);  // repeated
  EXPECT_EQ(splitter_create(-1, 0, 0, 100, 100, button, 15, 1), 0);      // missing
  // Number 7 would be destroyed before the panes were filled; so would the
  // gadgets inside splitter 8.
  button_create(7, 60, 0, 50, 20, "seven");
  EXPECT_EQ(splitter_create(7, 0, 0, 100, 100, button, 7, 1), 0);
  EXPECT_EQ(gadget_get_text(7), "seven");
  const ObjectNumber left = pane(120), right = pane(180);
  splitter_create(8, 0, 100, 200, 100, left, right, 1);
  EXPECT_EQ(splitter_create(8, 0, 0, 100, 100, left, button, 1), 0);
  EXPECT_EQ(gtk_paned_get_child1(paned_of(8)), placed(left));
  EXPECT_EQ(gtk_widget_get_parent(placed(button)), fixed);

  // Replacing splitter 8 ends the gadgets in its panes (static numbers stay
  // valid to look up after their gadgets end).
  button_create(1, 0, 0, 50, 20, "first");
  button_create(2, 60, 0, 50, 20, "second");
  splitter_create(8, 0, 0, 300, 200, 1, 2, 1);
  button_create(8, 0, 0, 80, 20, "new");
  EXPECT_TRUE(gadget_find(1) == nullptr && gadget_find(2) == nullptr);
  EXPECT_EQ(gadget_get_text(8), "new");
}

}  // namespace
