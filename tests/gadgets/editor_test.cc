// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/editor.h"

#include <gtk/gtk.h>

#include "tests/support/gadget_window_fixture.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

class EditorTest : public GadgetWindowTest {
 protected:
  // A read-only log with static number 0, which events must name as such.
  void SetUp() override {
    GadgetWindowTest::SetUp();
    ASSERT_NE(editor_create(0, 0, 100, 400, 150, EDITOR_READ_ONLY), 0);
    ASSERT_TRUE(x_test_wait_mapped(view(0)));
    event_test_drain();
  }
  static GtkWidget* view(ObjectNumber editor) { return gadget_find(editor)->widget; }
  static void add(std::initializer_list<const char*> lines) {
    for (const char* line : lines) gadget_add_item(0, -1, line);
  }
  static void type_xyz(ObjectNumber editor) {
    ASSERT_TRUE(x_test_focus(view(editor)));
    gtk_widget_grab_focus(view(editor));
    x_test_pump();
    for (char key : {'x', 'y', 'z'}) x_test_key(key);
  }
};

// An empty first line leaves no break behind, nor do the others; past the
// last line appends as -1 does.
TEST_F(EditorTest, AppendedLinesHaveNoLeadingOrTrailingBreak) {
  add({""});
  EXPECT_EQ(gadget_count_items(0), 1);
  add({"a", "b", "c"});
  EXPECT_EQ(gadget_get_text(0), "a\nb\nc");
  EXPECT_EQ(gadget_count_items(0), 3);
  gadget_add_item(0, 7, "d");
  EXPECT_EQ(gadget_get_text(0), "a\nb\nc\nd");
}

TEST_F(EditorTest, ReadOnlyRefusesTypingButTakesTheProgramsChanges) {
  add({"log"});
  type_xyz(0);
  EXPECT_EQ(gadget_get_text(0), "log");
  add({"more"});
  gadget_set_text(0, gadget_get_text(0) + "!");
  EXPECT_EQ(gadget_get_text(0), "log\nmore!");
  // The same keys do reach an editor that may be edited.
  const ObjectNumber writable = editor_create(-1, 0, 0, 200, 80);
  ASSERT_TRUE(x_test_wait_mapped(view(writable)));
  type_xyz(writable);
  EXPECT_EQ(gadget_get_text(writable), "xyz");
}

TEST_F(EditorTest, EveryAppendPostsAGadgetEvent) {
  // An empty editor changes only by the text; later a line break comes first.
  for (const auto& [line, count] : {std::pair{"first", 1u}, {"second", 2u}}) {
    gadget_add_item(0, -1, line);
    const std::vector<TestEvent> posted = gadget_events(0, 0);
    ASSERT_EQ(posted.size(), count) << line;
    EXPECT_EQ(posted[0].data, GADGET_EVENT_DEFAULT);
    EXPECT_EQ(posted[0].window, window_);
  }
}
