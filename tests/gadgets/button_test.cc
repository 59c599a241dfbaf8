#include "gadgets/button.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/event_test_util.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/window.h"

namespace {

std::vector<TestEvent> gadget_events(const std::vector<TestEvent>& events) {
  std::vector<TestEvent> result;
  for (const TestEvent& event : events) {
    if (event.kind == EVENT_GADGET) result.push_back(event);
  }
  return result;
}

// A click in the middle of the gadget's button, as a user makes it.
void click(ObjectNumber gadget) {
  GtkAllocation allocation;
  gtk_widget_get_allocation(gadget_find(gadget)->widget, &allocation);
  x_test_click(gadget_find(gadget)->widget, allocation.width / 2,
               allocation.height / 2);
}

GtkWidget* widget_of(ObjectNumber gadget) {
  return gadget_find(gadget)->widget;
}

GtkWidget* label_of(ObjectNumber gadget) {
  return gtk_bin_get_child(GTK_BIN(widget_of(gadget)));
}

class ButtonTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    event_test_init_layers();
    gadget_layer_init();
  }

  void SetUp() override {
    window_ = window_open(-1, 0, 0, 400, 300, "buttons", 0);
    ASSERT_NE(window_, 0);
    ASSERT_TRUE(x_test_wait_mapped(window_handle(window_)));
    event_test_drain(100);
  }

  void TearDown() override {
    window_close(window_);
    event_test_drain(20);
  }

  ObjectNumber window_ = 0;
};

TEST_F(ButtonTest, EachClickPostsOneGadgetEvent) {
  ObjectNumber button = button_create(-1, 20, 10, 120, 29, "Convert > TAP");
  ASSERT_NE(button, 0);
  EXPECT_EQ(gadget_get_text(button), "Convert > TAP");

  for (int round = 0; round < 2; ++round) {
    click(button);
    std::vector<TestEvent> events = gadget_events(event_test_drain(300));
    ASSERT_EQ(events.size(), 1u) << "click " << round;
    EXPECT_EQ(events[0].gadget, button);
    EXPECT_EQ(events[0].window, window_);
    EXPECT_EQ(events[0].data, GADGET_EVENT_DEFAULT);
  }
}

TEST_F(ButtonTest, ClickBehindACloseRequestPostsNothing) {
  ObjectNumber other = window_open(-1, 500, 0, 100, 100, "other",
                                   WINDOW_KEEP_GADGET_LIST);
  ObjectNumber button = button_create(-1, 20, 10, 120, 29, "Go");
  event_test_drain(100);

  post_event(EVENT_CLOSE, 0, other, 0);
  click(button);
  std::vector<TestEvent> events = event_test_drain(300);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].kind, EVENT_CLOSE);
  EXPECT_EQ(events[0].window, other);
  EXPECT_TRUE(gadget_events(events).empty());

  // With the request handled, clicks count again.
  click(button);
  EXPECT_EQ(gadget_events(event_test_drain(300)).size(), 1u);
  window_close(other);
}

TEST_F(ButtonTest, ToggleButtonPostsForEveryUserToggleButNotForTheProgram) {
  ObjectNumber toggle = button_create(-1, 20, 10, 120, 29, "On", BUTTON_TOGGLE);
  GadgetRecord* record = gadget_find(toggle);
  ASSERT_TRUE(GTK_IS_TOGGLE_BUTTON(record->widget));

  click(toggle);
  EXPECT_EQ(gadget_events(event_test_drain(300)).size(), 1u);
  EXPECT_EQ(record->type->get_state(record), 1);
  click(toggle);
  std::vector<TestEvent> events = gadget_events(event_test_drain(300));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].data, GADGET_EVENT_DEFAULT);
  EXPECT_EQ(record->type->get_state(record), 0);

  record->type->set_state(record, 1);
  EXPECT_EQ(record->type->get_state(record), 1);
  EXPECT_TRUE(gadget_events(event_test_drain(100)).empty());
}

TEST_F(ButtonTest, AlignmentFlagsRightWinsOverLeft) {
  auto xalign = [](ObjectNumber button) {
    gfloat x = -1, y = -1;
    gtk_misc_get_alignment(GTK_MISC(label_of(button)), &x, &y);
    EXPECT_FLOAT_EQ(y, 0.5f);
    return x;
  };
  EXPECT_FLOAT_EQ(xalign(button_create(-1, 0, 0, 80, 20, "r", 1)), 1.0f);
  EXPECT_FLOAT_EQ(xalign(button_create(-1, 0, 30, 80, 20, "l", 2)), 0.0f);
  EXPECT_FLOAT_EQ(xalign(button_create(-1, 0, 60, 80, 20, "both", 3)), 1.0f);
  EXPECT_FLOAT_EQ(xalign(button_create(-1, 0, 90, 80, 20, "none", 0)), 0.5f);
}

TEST_F(ButtonTest, LabelTextGoesThroughTheProgramEncoding) {
  ObjectNumber empty = button_create(-1, 0, 0, 80, 20, nullptr);
  EXPECT_EQ(gadget_get_text(empty), "");
  EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(label_of(empty))), "");

  ObjectNumber button = button_create(-1, 0, 30, 80, 20, "\xC4pfel");
  EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(label_of(button))), "Äpfel");
  EXPECT_EQ(gadget_get_text(button), "\xC4pfel");

  gadget_set_text(button, "Gr\xFC\xDF" "e");
  EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(label_of(button))), "Grüße");
  EXPECT_EQ(gadget_get_text(button), "Gr\xFC\xDF" "e");
}

TEST_F(ButtonTest, WrappingLabelFollowsTheButtonSize) {
  ObjectNumber button = button_create(-1, 0, 0, 120, 60,
                                      "a text too long for one line", BUTTON_WRAP);
  GtkWidget* label = label_of(button);
  EXPECT_TRUE(gtk_label_get_line_wrap(GTK_LABEL(label)));

  gadget_resize(button, GADGET_IGNORE, GADGET_IGNORE, 200, 80);
  GtkAllocation allocation;
  gtk_widget_get_allocation(widget_of(button), &allocation);
  EXPECT_EQ(allocation.width, 200);
  gint width = 0, height = 0;
  gtk_widget_get_size_request(label, &width, &height);
  EXPECT_EQ(width, allocation.width);
  EXPECT_EQ(height, allocation.height);
}

}  // namespace
