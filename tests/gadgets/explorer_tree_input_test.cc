// The explorer tree under real X input (XTest): clicks, the expander and keys.
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gadgets/explorer_tree.h"
#include "tests/support/event_test_util.h"
#include "tests/support/explorer_tree_fixture.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

constexpr std::uint32_t kMainFlags = 46;
// Longer than GTK's double-click time.
constexpr int kDoubleClickPause = 600;

using Names = std::vector<std::string>;

class ExplorerTreeInput : public ExplorerTreeTest {
 protected:
  // A tree at the scratch directory, on screen, with its events drained.
  ObjectNumber create_shown(std::uint32_t flags) {
    const ObjectNumber tree = create(scratch_.path(), flags);
    EXPECT_TRUE(x_test_wait_mapped(GTK_WIDGET(view(tree))));
    event_test_drain();
    return tree;
  }

  // Widget coordinates of a point inside the row of the node: its name, or
  // with `expander` the expander in front of it.
  void row_point(ObjectNumber tree, GtkTreeIter* node, bool expander, int* x, int* y) {
    GtkTreePath* path = gtk_tree_model_get_path(model(tree), node);
    GdkRectangle cell;
    gtk_tree_view_get_cell_area(view(tree), path, gtk_tree_view_get_column(view(tree), 0), &cell);
    gtk_tree_path_free(path);
    gint expander_size = 0;
    gtk_widget_style_get(GTK_WIDGET(view(tree)), "expander-size", &expander_size, nullptr);
    const int bin_x = expander ? cell.x - expander_size / 2 - 2 : cell.x + cell.width / 2;
    gtk_tree_view_convert_bin_window_to_widget_coords(view(tree), bin_x, cell.y + cell.height / 2,
                                                      x, y);
  }

  // The data of the click events (not selection changes) posted for the tree.
  static std::vector<int> clicks(ObjectNumber tree, const std::vector<TestEvent>& events) {
    std::vector<int> data;
    for (const TestEvent& event : events)
      if (event.kind == EVENT_GADGET && event.gadget == tree && event.data != GADGET_EVENT_CHANGE)
        data.push_back(event.data);
    return data;
  }
};

TEST_F(ExplorerTreeInput, ClicksArePostedWhenTheButtonIsReleased) {
  scratch_.directory("a");
  const ObjectNumber tree = create_shown(kMainFlags);
  GtkTreeIter node;
  ASSERT_TRUE(tree_find(model(tree), scratch_.path() + "a/", &node));
  int x = 0, y = 0;
  row_point(tree, &node, false, &x, &y);
  GtkWidget* widget = GTK_WIDGET(view(tree));

  // Each gesture waits out the double-click time, so that GDK does not join
  // it to the one before.
  const auto gesture = [&](const std::function<void()>& input) {
    x_test_pump_for(kDoubleClickPause);
    input();
    return event_test_drain();
  };
  std::vector<TestEvent> events = gesture([&] { x_test_click(widget, x, y, 1); });
  EXPECT_EQ(clicks(tree, events), std::vector<int>{GADGET_EVENT_LEFT_CLICK});
  EXPECT_EQ(gadget_get_text(tree), scratch_.path() + "a/");
  bool changed = false;
  for (const TestEvent& event : events) changed |= event.data == GADGET_EVENT_CHANGE;
  EXPECT_TRUE(changed);

  EXPECT_EQ(clicks(tree, gesture([&] { x_test_double_click(widget, x, y, 1); })),
            (std::vector<int>{GADGET_EVENT_LEFT_CLICK, GADGET_EVENT_LEFT_CLICK,
                              GADGET_EVENT_LEFT_DOUBLE_CLICK}));
  EXPECT_EQ(clicks(tree, gesture([&] { x_test_click(widget, x, y, 3); })),
            std::vector<int>{GADGET_EVENT_RIGHT_CLICK});
  EXPECT_EQ(clicks(tree, gesture([&] { x_test_double_click(widget, x, y, 3); })),
            (std::vector<int>{GADGET_EVENT_RIGHT_CLICK, GADGET_EVENT_RIGHT_CLICK,
                              GADGET_EVENT_RIGHT_DOUBLE_CLICK}));
  EXPECT_TRUE(clicks(tree, gesture([&] { x_test_click(widget, x, y, 2); })).empty());
  // The last press decides what its release reports: the right button's
  // press takes over the left one's, whose release then reports nothing.
  EXPECT_EQ(clicks(tree, gesture([&] {
              x_test_move_pointer(widget, x, y);
              x_test_button(1, true);
              x_test_button(3, true);
              x_test_button(3, false);
              x_test_button(1, false);
            })),
            std::vector<int>{GADGET_EVENT_RIGHT_CLICK});
}

TEST_F(ExplorerTreeInput, ClickOnTheExpanderReadsTheDirectory) {
  scratch_.directory("x/y");
  scratch_.directory("x/z");
  const ObjectNumber tree = create_shown(kMainFlags);
  GtkTreeIter node;
  ASSERT_TRUE(tree_find(model(tree), scratch_.path() + "x/", &node));
  ASSERT_TRUE(tree_node_unread(model(tree), &node));
  int x = 0, y = 0;
  row_point(tree, &node, true, &x, &y);
  x_test_click(GTK_WIDGET(view(tree)), x, y, 1);
  ASSERT_TRUE(tree_find(model(tree), scratch_.path() + "x/", &node));
  EXPECT_EQ(tree_child_names(model(tree), &node), (Names{"y", "z"}));
  GtkTreePath* path = gtk_tree_model_get_path(model(tree), &node);
  EXPECT_TRUE(gtk_tree_view_row_expanded(view(tree), path));
  gtk_tree_path_free(path);
}

TEST_F(ExplorerTreeInput, ExpandingEverythingBelowALoopingLinkEnds) {
  scratch_.directory("l/d");
  scratch_.link("..", "l/up");
  const ObjectNumber tree = create_shown(kMainFlags);
  GtkTreeIter node;
  ASSERT_TRUE(tree_find(model(tree), scratch_.path() + "l/", &node));
  GtkTreePath* path = gtk_tree_model_get_path(model(tree), &node);
  gtk_tree_view_set_cursor(view(tree), path, nullptr, FALSE);
  gtk_tree_path_free(path);
  ASSERT_TRUE(x_test_focus(GTK_WIDGET(view(tree))));
  gtk_widget_grab_focus(GTK_WIDGET(view(tree)));
  x_test_key(GDK_KEY_KP_Multiply);  // expands the cursor's node and all below it
  x_test_pump();
  ASSERT_TRUE(tree_find(model(tree), scratch_.path() + "l/", &node));
  EXPECT_EQ(tree_child_names(model(tree), &node), (Names{"d", "up"}));
  // Reading stays lazy: what lies below the new children waits for its own
  // expansion, so the loop is never followed on its own.
  ASSERT_TRUE(tree_find(model(tree), scratch_.path() + "l/up/", &node));
  EXPECT_TRUE(tree_node_unread(model(tree), &node));
}

}  // namespace
