// SPDX-License-Identifier: GPL-3.0-or-later
// The event queue, the windows that post into it and the gadgets in them.
#include "toolkit/window.h"

#include <gtk/gtk.h>

#include <tuple>

#include "gadgets/button.h"
#include "tests/support/gadget_window_fixture.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

using WindowTest = GadgetWindowTest;

// Hundreds of records span several pool blocks; removal relinks head and
// tail. Suppressed events are dropped, and an unmatched end starts nothing.
TEST_F(WindowTest, ClosingAWindowDropsOnlyItsQueuedEvents) {
  ObjectNumber a = window_open(-1, 10, 10, 200, 150, "a", 0);
  event_test_drain(50);
  std::vector<ObjectNumber> kept;
  for (int i = 0; i < 600; ++i) {
    post_event(EVENT_GADGET, i, i % 3 == 0 ? a : window_, 0);
    if (i % 3 != 0) kept.push_back(i);
  }
  post_event(EVENT_MOVE, 0, a, 0);
  window_close(a);
  post_event(EVENT_GADGET, 600, window_, 0);  // behind the last record kept
  events_suppress_begin(), post_event(EVENT_GADGET, 601, window_, 0), events_suppress_end();
  events_suppress_end(), post_event(EVENT_GADGET, 602, window_, 0);
  kept.insert(kept.end(), {600, 602});
  std::vector<ObjectNumber> gadgets;
  for (const TestEvent& event : event_test_drain())
    if (event.kind == EVENT_GADGET || event.window == a) gadgets.push_back(event.gadget);
  EXPECT_EQ(gadgets, kept);
}

// A gadget made on a used number ends the old one (its widget is destroyed,
// not leaked); numbers without a gadget give nothing and touch nothing.
TEST_F(WindowTest, GadgetNumbersReusedFreedAndUnknown) {
  ASSERT_NE(button_create(3, 0, 0, 80, 20, "old"), 0);
  GtkWidget* old = gadget_find(3)->widget;
  g_object_add_weak_pointer(G_OBJECT(old), reinterpret_cast<gpointer*>(&old));
  button_create(3, 0, 0, 80, 20, "new");
  EXPECT_EQ(old, nullptr);
  ObjectNumber gone = button_create(-1, 0, 40, 80, 20, "gone");
  gadget_free(gone);
  for (ObjectNumber n : {ObjectNumber{7}, ObjectNumber{1 << 20}, gone}) {
    gadget_set_text(n, "x"), gadget_clear_items(n), gadget_resize(n, 1, 1, 10, 10), gadget_hide(n, 1);
    EXPECT_EQ(std::make_tuple(gadget_get_text(n), gadget_get_item_text(n, 2, 3), gadget_count_items(n),
                              gadget_get_item_state(n, 0), gadget_add_item(n, -1, "x")),
              std::make_tuple("", "", 0, 0u, 0)) << n;
  }
}
