// SPDX-License-Identifier: GPL-3.0-or-later
// The event loop's rules, on the real main window in a scratch directory.
#include "app/event_loop.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "gadgets/explorer_list.h"
#include "gadgets/explorer_tree.h"
#include "tests/support/event_test_util.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/window.h"

namespace {

class EventLoop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { event_test_init_layers(); gadget_layer_init(); }
  void SetUp() override {
    dir_.make({"sub/", "sub/inner.tzx", "sub/other.txt"});
    // A message, then the name: a second pass would log the name alone.
    write_file(dir_.file("a.tzx"), tzx(standard_block("data") + std::string("\x12\x78\x08\x97\x0c", 5)));
    main_ = main_window_open("event loop", dir_.path());
    ASSERT_TRUE(x_test_wait_mapped(window_handle(main_.window)));
    // The tree selects the start directory while the window opens; if that
    // reached the loop as a tree event, the list would read its directory
    // twice before the user has done anything.
    for (const TestEvent& event : event_test_drain(100))
      EXPECT_FALSE(event.kind == EVENT_GADGET && event.gadget == main_.dir_tree);
  }
  void TearDown() override { window_close_all(); event_test_drain(20); }
  // Hands the loop exactly these events, the first of them handled: what the
  // window posted before goes.
  bool handle(int kind, ObjectNumber gadget, int next_kind = EVENT_NONE) {
    event_test_drain(20);
    post_event(kind, gadget, main_.window, 0);
    if (next_kind != EVENT_NONE) post_event(next_kind, gadget, main_.window, 0);
    return event_loop_handle(main_, wait_event(0));
  }

  ScratchDirectory dir_;
  MainWindow main_;
};

// Only the button converts, and a second press made before the batch ended
// (a double click) must not run the batch again: that pass would find the
// TAP file and log the name alone. Only the close request ends the loop.
TEST_F(EventLoop, OnePressOneBatchAndTheButtonIsBackAfterIt) {
  gtk_tree_selection_select_all(gtk_tree_view_get_selection(GTK_TREE_VIEW(gadget_find(main_.file_list)->widget)));
  for (ObjectNumber other : {main_.file_list, main_.log_editor, main_.main_splitter, main_.browser_splitter})
    EXPECT_TRUE(handle(EVENT_GADGET, other));
  for (int kind : {EVENT_MOVE, EVENT_FOCUS_IN, EVENT_MINIMIZE, EVENT_MAXIMIZE}) EXPECT_TRUE(handle(kind, 0));
  EXPECT_TRUE(handle(EVENT_GADGET, main_.convert_button, EVENT_GADGET));
  while (event_queue_peek_kind() != EVENT_NONE) event_loop_handle(main_, wait_event(0));
  EXPECT_TRUE(gtk_widget_is_sensitive(gadget_find(main_.convert_button)->widget));
  EXPECT_EQ(gdk_window_get_cursor(gtk_widget_get_window(window_handle(main_.window))), nullptr);
  // An event can outlive its gadget in the queue: it runs no batch either.
  gadget_free(main_.convert_button);
  EXPECT_TRUE(handle(EVENT_GADGET, main_.convert_button));
  EXPECT_EQ(read_file(dir_.file("a.tap")), tap_record("data"));
  EXPECT_EQ(gadget_get_text(main_.log_editor), dir_.file("a.tap") + ": Unsupported block found ($12)\na.tzx");
  EXPECT_FALSE(handle(EVENT_CLOSE, 0));
}

// A directory the user chooses posts a tree event (the window's own choice at
// its opening does not: SetUp), and the list moves there with its pattern.
TEST_F(EventLoop, AChosenDirectoryMovesTheListWhichKeepsItsPattern) {
  EXPECT_EQ(explorer_list_directory_path(main_.file_list), dir_.path());
  explorer_tree_set_path(main_.dir_tree, dir_.path() + "sub/");
  EXPECT_TRUE(event_test_contains(event_test_drain(50), EVENT_GADGET, main_.window));
  EXPECT_TRUE(handle(EVENT_GADGET, main_.dir_tree));
  EXPECT_EQ(explorer_list_directory_path(main_.file_list), dir_.path() + "sub/");
  EXPECT_EQ(gadget_count_items(main_.file_list), 1);  // inner.tzx, not other.txt
}

}  // namespace
