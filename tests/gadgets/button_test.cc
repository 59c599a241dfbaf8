#include "gadgets/button.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <utility>
#include <vector>

#include "tests/support/gadget_window_fixture.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/window.h"

namespace {

class ButtonTest : public GadgetWindowTest {
 protected:
  // Clicks the middle of the button as a user does; returns the gadget
  // events that follow.
  static std::vector<TestEvent> click(ObjectNumber button) {
    GtkWidget* widget = gadget_find(button)->widget;
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget, &allocation);
    x_test_click(widget, allocation.width / 2, allocation.height / 2);
    return gadget_events(300);
  }
  static GtkLabel* label_of(ObjectNumber button) {
    return GTK_LABEL(gtk_bin_get_child(GTK_BIN(gadget_find(button)->widget)));
  }
};

TEST_F(ButtonTest, EachClickPostsOneEventButNoneBehindACloseRequest) {
  const ObjectNumber button = button_create(-1, 20, 10, 120, 29, "Convert > TAP");
  for (int round = 0; round < 2; ++round) {
    const std::vector<TestEvent> events = click(button);
    ASSERT_EQ(events.size(), 1u) << "click " << round;
    EXPECT_EQ(events[0].gadget, button);
    EXPECT_EQ(events[0].window, window_);
    EXPECT_EQ(events[0].data, GADGET_EVENT_DEFAULT);
  }
  const ObjectNumber other = window_open(-1, 500, 0, 100, 100, "other", WINDOW_KEEP_GADGET_LIST);
  event_test_drain(100);
  post_event(EVENT_CLOSE, 0, other, 0);
  EXPECT_TRUE(click(button).empty());
  EXPECT_EQ(click(button).size(), 1u);  // the request was handled
  window_close(other);
}

TEST_F(ButtonTest, ToggleButtonPostsForEveryUserToggleButNotForTheProgram) {
  const ObjectNumber toggle = button_create(-1, 20, 10, 120, 29, "On", BUTTON_TOGGLE);
  GadgetRecord* record = gadget_find(toggle);
  for (int state : {1, 0}) {
    EXPECT_EQ(click(toggle).size(), 1u);
    EXPECT_EQ(record->type->get_state(record), state);
  }
  record->type->set_state(record, 1);
  EXPECT_EQ(record->type->get_state(record), 1);
  EXPECT_TRUE(gadget_events(100).empty());
}

TEST_F(ButtonTest, LabelIsConvertedAlignedAndWrappedToTheButtonSize) {
  const ObjectNumber wrapping = button_create(-1, 0, 0, 120, 60, "\xC4pfel", BUTTON_WRAP);
  EXPECT_STREQ(gtk_label_get_text(label_of(wrapping)), "Äpfel");
  gadget_resize(wrapping, GADGET_IGNORE, GADGET_IGNORE, 200, 80);
  gint width = 0, height = 0;
  gtk_widget_get_size_request(GTK_WIDGET(label_of(wrapping)), &width, &height);
  EXPECT_EQ(std::make_pair(width, height), std::make_pair(200, 80));

  // Right-aligned wins over left-aligned.
  for (const auto& [flags, expected] : {std::pair{1u, 1.0f}, {2u, 0.0f}, {3u, 1.0f}, {0u, 0.5f}}) {
    gfloat x = -1, y = -1;
    gtk_misc_get_alignment(GTK_MISC(label_of(button_create(-1, 0, 90, 80, 20, "b", flags))), &x,
                           &y);
    EXPECT_FLOAT_EQ(x, expected) << flags;
  }
}

}  // namespace
