// The editor as the application's log: lines, appends, read-only typing and
// the change events.
#include "gadgets/editor.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "tests/support/gadget_window_fixture.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

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
  static void type_keys(GtkWidget* target, const char* keys) {
    ASSERT_TRUE(x_test_focus(target));
    gtk_widget_grab_focus(target);
    x_test_pump();
    for (const char* key = keys; *key; ++key) x_test_key(static_cast<unsigned char>(*key));
  }
};

TEST_F(EditorTest, AppendedLinesHaveNoLeadingOrTrailingBreak) {
  EXPECT_EQ(gadget_count_items(0), 1);  // empty: one empty line
  gadget_set_text(0, "old text\n");
  gadget_clear_items(0);
  add({"a", "b", "c"});
  EXPECT_EQ(gadget_get_text(0), "a\nb\nc");
  EXPECT_EQ(gadget_count_items(0), 3);
  std::vector<std::string> lines;
  for (int line = -1; line <= 3; ++line) lines.push_back(gadget_get_item_text(0, line));
  EXPECT_EQ(lines, (std::vector<std::string>{"", "a", "b", "c", ""}));
  // Past the last line appends as -1 does; inside, it inserts before the line.
  gadget_add_item(0, 7, "d");
  gadget_add_item(0, 1, "ab");
  gadget_add_item(0, 0, "start");
  EXPECT_EQ(gadget_get_text(0), "start\na\nab\nb\nc\nd");
}

TEST_F(EditorTest, EmptyFirstLineLeavesNoBreakBehind) {
  add({""});
  EXPECT_EQ(gadget_count_items(0), 1);
  add({"x"});
  EXPECT_EQ(gadget_get_text(0), "x");
  // Later empty lines do count: the text then ends with an empty line.
  add({""});
  EXPECT_EQ(gadget_get_text(0), "x\n");
  EXPECT_EQ(gadget_count_items(0), 2);
}

// Lines cross to GTK as UTF-8 (0xA4 is the euro sign in ISO-8859-15) and
// come back as program strings, which hold only code points up to 255.
TEST_F(EditorTest, LinesCarryProgramStrings) {
  add({"/tapes/Gr\xFC\xDF" "e.tap: cut", "price \xA4 5"});
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view(0))), &start, &end);
  gchar* utf8 = gtk_text_iter_get_text(&start, &end);
  EXPECT_STREQ(utf8, "/tapes/Grüße.tap: cut\nprice € 5");
  g_free(utf8);
  EXPECT_EQ(gadget_get_item_text(0, 0), "/tapes/Gr\xFC\xDF" "e.tap: cut");
  EXPECT_EQ(gadget_get_item_text(0, 1), "price ");
}

TEST_F(EditorTest, ReadOnlyRefusesTypingButTakesTheProgramsChanges) {
  add({"log"});
  type_keys(view(0), "xyz");
  EXPECT_EQ(gadget_get_text(0), "log");
  add({"more"});
  gadget_set_text(0, gadget_get_text(0) + "!");
  EXPECT_EQ(gadget_get_text(0), "log\nmore!");

  // The same keys do reach an editor that may be edited, and typed Latin-1
  // text comes back as its bytes.
  const ObjectNumber writable = editor_create(-1, 0, 0, 200, 80);
  ASSERT_TRUE(x_test_wait_mapped(view(writable)));
  type_keys(view(writable), "xyz");
  x_test_key('g', X_TEST_SHIFT);
  // The u-umlaut (0xFC) and sharp s (0xDF) keys are not on the server's keymap.
  for (unsigned key : {unsigned{'r'}, 0xFCu, 0xDFu, unsigned{'e'}}) x_test_key(key);
  EXPECT_EQ(gadget_get_text(writable), "xyzGr\xFC\xDF" "e");
  EXPECT_EQ(gadget_get_item_text(writable, 0), "xyzGr\xFC\xDF" "e");
}

TEST_F(EditorTest, EveryChangePostsAGadgetEvent) {
  // An empty editor changes only by the text; later a line break comes first.
  const std::vector<std::pair<const char*, std::size_t>> appends = {
      {"first", 1}, {"second", 2}, {"", 1}};
  for (const auto& [line, count] : appends) {
    gadget_add_item(0, -1, line);
    const std::vector<TestEvent> posted = gadget_events(0, 0);
    ASSERT_EQ(posted.size(), count) << line;
    EXPECT_EQ(posted[0].data, GADGET_EVENT_DEFAULT);
    EXPECT_EQ(posted[0].window, window_);
  }
  gadget_clear_items(0);
  EXPECT_GE(gadget_events(0, 0).size(), 1u);
}

}  // namespace
