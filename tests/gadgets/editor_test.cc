// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/editor.h"

#include "tests/support/gadget_window_fixture.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

using EditorTest = GadgetWindowTest;

// An empty first line leaves no break behind, nor do the others; past the
// last line appends as -1 does; 8-bit program strings come back as they went.
TEST_F(EditorTest, TheLogTakesLinesWithoutStrayBreaks) {
  ASSERT_NE(editor_create(0, 0, 100, 400, 150, EDITOR_READ_ONLY), 0);  // static number 0, as the log's
  gadget_add_item(0, -1, "");
  EXPECT_EQ(gadget_count_items(0), 1);
  for (const char* line : {"a", "Gr\xFC\xDF" "e \xC0\xFF", "c"}) gadget_add_item(0, -1, line);
  gadget_add_item(0, 7, "d");
  EXPECT_EQ(gadget_get_text(0), "a\nGr\xFC\xDF" "e \xC0\xFF\nc\nd");
  EXPECT_EQ(gadget_count_items(0), 4);
  gadget_set_text(0, gadget_get_text(0) + "!");
  EXPECT_EQ(gadget_get_text(0), "a\nGr\xFC\xDF" "e \xC0\xFF\nc\nd!");
}

// File lines wait for GTK's next turn to go into the view, but the program
// reads them back at once, in the order added, mixed with its other lines;
// lines cleared before that turn do not come back with it.
TEST_F(EditorTest, FileLinesReadBackAtOnceInTheirOrder) {
  ASSERT_NE(editor_create(0, 0, 100, 400, 150, EDITOR_READ_ONLY), 0);
  editor_add_file_line(0, "a.tzx");
  gadget_add_item(0, -1, "b");
  editor_add_file_line(0, "");
  editor_add_file_line(0, "d");
  EXPECT_EQ(gadget_count_items(0), 4);
  editor_add_file_line(0, "e");
  EXPECT_EQ(gadget_get_text(0), "a.tzx\nb\n\nd\ne");
  editor_add_file_line(0, "f");
  gadget_clear_items(0);
  events_flush();
  EXPECT_EQ(gadget_get_text(0), "");
}
