// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/button.h"

#include <gtk/gtk.h>

#include "tests/support/gadget_window_fixture.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/window.h"

struct ButtonTest : GadgetWindowTest {
  // Clicks the middle of the button as a user does; returns the gadget events that follow.
  static std::vector<TestEvent> click(ObjectNumber button) {
    GtkWidget* widget = gadget_find(button)->widget;
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget, &allocation);
    x_test_click(widget, allocation.width / 2, allocation.height / 2);
    return gadget_events(300);
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

TEST_F(ButtonTest, RightAlignedWinsOverLeftAligned) {
  for (const auto& [flags, expected] : {std::pair{1u, 1.0f}, {2u, 0.0f}, {3u, 1.0f}, {0u, 0.5f}}) {
    gfloat x = -1, y = -1;
    GtkWidget* button = gadget_find(button_create(-1, 0, 90, 80, 20, "b", flags))->widget;
    gtk_misc_get_alignment(GTK_MISC(gtk_bin_get_child(GTK_BIN(button))), &x, &y);
    EXPECT_FLOAT_EQ(x, expected) << flags;
  }
}

// The label gives back the program string it was given, 8-bit letters too.
TEST_F(ButtonTest, TextComesBackAsSet) {
  const ObjectNumber button = button_create(-1, 0, 120, 120, 29, "Convert > TAP");
  EXPECT_EQ(gadget_get_text(button), "Convert > TAP");
  for (const std::string& text : {std::string("Gr\xFC\xDF" "e \xC0\xFF"), std::string()}) {
    gadget_set_text(button, text);
    EXPECT_EQ(gadget_get_text(button), text);
  }
}
