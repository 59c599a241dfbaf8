// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/splitter.h"

#include <gtk/gtk.h>

#include <map>
#include <vector>

#include "gadgets/button.h"
#include "tests/support/gadget_window_fixture.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

static GtkWidget* placed(ObjectNumber gadget) { return gadget_placed_widget(gadget_find(gadget)); }
static int position(ObjectNumber splitter) { return gtk_paned_get_position(GTK_PANED(gadget_find(splitter)->widget)); }

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
  // Allocated x, y and width, then requested width and height.
  static std::vector<int> layout(ObjectNumber gadget) {
    GtkAllocation allocation;
    GtkRequisition requisition;
    gtk_widget_get_allocation(placed(gadget), &allocation);
    gtk_widget_size_request(placed(gadget), &requisition);
    return {allocation.x, allocation.y, allocation.width, requisition.width, requisition.height};
  }

  ObjectNumber inner_ = 0, outer_ = 0;
};

TEST_F(SplitterTest, NestedSplittersPutTheBarHalfwayAndReportOnlyNewAllocations) {
  std::map<ObjectNumber, int> first = reports();
  EXPECT_TRUE(first[inner_] >= 1 && first[outer_] >= 1);
  EXPECT_EQ(position(inner_), 460);
  EXPECT_EQ(position(outer_), 350);
  gtk_widget_queue_resize(placed(outer_));
  EXPECT_TRUE(reports().empty());
}

TEST_F(SplitterTest, ResizeReportsTheNextAllocationAndThatOfTheNestedOne) {
  reports();
  // The nested splitter reports only because the outer one makes it.
  gadget_resize(outer_, GADGET_IGNORE, GADGET_IGNORE, 899, 700);
  std::map<ObjectNumber, int> resized = reports();
  EXPECT_EQ(resized[outer_], 1);
  EXPECT_EQ(resized[inner_], 1);
  EXPECT_EQ(layout(outer_), (std::vector<int>{0, 0, 899, 899, 700}));
  // Width 0 only forgets the reported size: the next allocation is reported.
  gadget_resize(outer_, GADGET_IGNORE, GADGET_IGNORE, 0, 700);
  EXPECT_EQ(layout(outer_), (std::vector<int>{0, 0, 899, 899, 700}));
  gtk_widget_queue_resize(placed(outer_));
  EXPECT_EQ(reports()[outer_], 1);
}

// The bar stays where the program put it, from the paned's first position to
// its last (its width less the handle); beyond them GTK keeps it at the edge.
TEST_F(SplitterTest, ThePositionSetIsThePositionReported) {
  reports();
  GadgetRecord* record = gadget_find(inner_);
  int first = -1, last = 0;
  g_object_get(record->widget, "min-position", &first, "max-position", &last, nullptr);
  ASSERT_GT(last, 900) << first;
  for (auto [set, reported] : {std::pair{first, first}, {first + 1, first + 1}, {300, 300}, {last, last},
                               {last + 1, last}, {5000, last}, {0, first}}) {
    record->type->set_state(record, set);
    gadget_events(100);
    EXPECT_EQ(record->type->get_state(record), reported) << set;
    EXPECT_EQ(position(inner_), reported) << set;
  }
}
