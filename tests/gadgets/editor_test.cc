// The editor as the application's log: lines, appends, read-only typing and
// the change events.
#include "gadgets/editor.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <vector>

#include "tests/support/event_test_util.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/window.h"

namespace {

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    event_test_init_layers();
    gadget_layer_init();
    window_ = window_open(-1, 0, 0, 500, 300, "editor", 0);
    ASSERT_NE(window_, 0);
    editor_ = editor_create(-1, 0, 100, 400, 150, EDITOR_READ_ONLY);
    ASSERT_NE(editor_, 0);
    ASSERT_TRUE(x_test_wait_mapped(view()));
    event_test_drain();
  }
  void TearDown() override {
    window_close(window_);
    event_test_drain();
  }

  GtkWidget* view() const { return gadget_find(editor_)->widget; }

  // Gadget events of the editor among what is queued and pending now.
  std::vector<TestEvent> editor_events() {
    std::vector<TestEvent> mine;
    for (const TestEvent& event : event_test_drain()) {
      if (event.kind == EVENT_GADGET && event.gadget == editor_) mine.push_back(event);
    }
    return mine;
  }

  void type_keys(GtkWidget* target, const char* keys) {
    ASSERT_TRUE(x_test_focus(target));
    gtk_widget_grab_focus(target);
    x_test_pump();
    for (const char* key = keys; *key; ++key) x_test_key(static_cast<unsigned char>(*key));
  }

  ObjectNumber window_ = 0;
  ObjectNumber editor_ = 0;
};

TEST_F(EditorTest, EmptyEditorCountsOneEmptyLine) {
  EXPECT_EQ(gadget_count_items(editor_), 1);
  EXPECT_EQ(gadget_get_text(editor_), "");
  EXPECT_EQ(gadget_get_item_text(editor_, 0), "");
  EXPECT_EQ(gadget_get_item_text(editor_, 1), "");
}

TEST_F(EditorTest, AppendsMakeLinesWithoutLeadingOrTrailingBreak) {
  gadget_set_text(editor_, "old text\n");
  gadget_clear_items(editor_);
  for (const char* text : {"a", "b", "c"}) EXPECT_EQ(gadget_add_item(editor_, -1, text), 0);
  EXPECT_EQ(gadget_get_text(editor_), "a\nb\nc");
  EXPECT_EQ(gadget_count_items(editor_), 3);
  EXPECT_EQ(gadget_get_item_text(editor_, 0), "a");
  EXPECT_EQ(gadget_get_item_text(editor_, 1), "b");
  EXPECT_EQ(gadget_get_item_text(editor_, 2), "c");
  EXPECT_EQ(gadget_get_item_text(editor_, 3), "");
  EXPECT_EQ(gadget_get_item_text(editor_, -1), "");

  // Any position past the last line appends as -1 does.
  gadget_add_item(editor_, 7, "d");
  EXPECT_EQ(gadget_get_text(editor_), "a\nb\nc\nd");
  EXPECT_EQ(gadget_count_items(editor_), 4);
}

TEST_F(EditorTest, EmptyFirstLineLeavesNoBreakBehind) {
  gadget_add_item(editor_, -1, "");
  EXPECT_EQ(gadget_count_items(editor_), 1);
  gadget_add_item(editor_, -1, "x");
  EXPECT_EQ(gadget_get_text(editor_), "x");
  EXPECT_EQ(gadget_count_items(editor_), 1);
  // Later empty lines do count: the text then ends with an empty line.
  gadget_add_item(editor_, -1, "");
  EXPECT_EQ(gadget_get_text(editor_), "x\n");
  EXPECT_EQ(gadget_count_items(editor_), 2);
  EXPECT_EQ(gadget_get_item_text(editor_, 1), "");
}

TEST_F(EditorTest, LinesCarryProgramStrings) {
  gadget_add_item(editor_, -1, "/tapes/Gr\xFC\xDF" "e.tap: cut");
  gadget_add_item(editor_, -1, "price \xA4 5");
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view()));
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  gchar* utf8 = gtk_text_buffer_get_text(buffer, &start, &end, TRUE);
  EXPECT_STREQ(utf8, "/tapes/Grüße.tap: cut\nprice € 5");
  g_free(utf8);
  EXPECT_EQ(gadget_get_item_text(editor_, 0), "/tapes/Gr\xFC\xDF" "e.tap: cut");
  // The euro sign has no program-string byte to come back as.
  EXPECT_EQ(gadget_get_item_text(editor_, 1), "price ");
}

TEST_F(EditorTest, PositionInsideTheTextInsertsBeforeThatLine) {
  for (const char* text : {"a", "c"}) gadget_add_item(editor_, -1, text);
  gadget_add_item(editor_, 1, "b");
  gadget_add_item(editor_, 0, "start");
  EXPECT_EQ(gadget_get_text(editor_), "start\na\nb\nc");
}

TEST_F(EditorTest, ReadOnlyRefusesTypingButTakesTheProgramsChanges) {
  gadget_add_item(editor_, -1, "log");
  type_keys(view(), "xyz");
  EXPECT_EQ(gadget_get_text(editor_), "log");

  gadget_add_item(editor_, -1, "more");
  gadget_set_text(editor_, gadget_get_text(editor_) + "!");
  EXPECT_EQ(gadget_get_text(editor_), "log\nmore!");
  gadget_clear_items(editor_);
  EXPECT_EQ(gadget_get_text(editor_), "");

  // The same keys do reach an editor that may be edited.
  ObjectNumber writable = editor_create(-1, 0, 0, 200, 80);
  ASSERT_TRUE(x_test_wait_mapped(gadget_find(writable)->widget));
  type_keys(gadget_find(writable)->widget, "xyz");
  EXPECT_EQ(gadget_get_text(writable), "xyz");
}

TEST_F(EditorTest, TypedLatin1TextComesBackAsItsBytes) {
  ObjectNumber writable = editor_create(-1, 0, 0, 200, 80);
  ASSERT_TRUE(x_test_wait_mapped(gadget_find(writable)->widget));
  type_keys(gadget_find(writable)->widget, "");
  x_test_key('g', X_TEST_SHIFT);
  // The u-umlaut (0xFC) and sharp s (0xDF) keys are not on the server's keymap.
  for (unsigned key : {unsigned{'r'}, 0xFCu, 0xDFu, unsigned{'e'}}) x_test_key(key);
  EXPECT_EQ(gadget_get_text(writable), "Gr\xFC\xDF" "e");
  EXPECT_EQ(gadget_get_item_text(writable, 0), "Gr\xFC\xDF" "e");
}

TEST_F(EditorTest, EveryChangePostsAGadgetEvent) {
  gadget_add_item(editor_, -1, "first");  // empty editor: text only
  std::vector<TestEvent> events = editor_events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].window, window_);
  EXPECT_EQ(events[0].data, GADGET_EVENT_DEFAULT);

  gadget_add_item(editor_, -1, "second");  // line break, then text
  EXPECT_EQ(editor_events().size(), 2u);
  gadget_add_item(editor_, -1, "");  // only the line break changes the text
  EXPECT_EQ(editor_events().size(), 1u);
  gadget_clear_items(editor_);
  EXPECT_GE(editor_events().size(), 1u);
}

TEST_F(EditorTest, EventsNameTheEditorByItsStaticNumber) {
  ASSERT_NE(editor_create(0, 0, 0, 200, 80), 0);
  gadget_add_item(0, -1, "line");
  std::vector<TestEvent> gadget_events;
  for (const TestEvent& event : event_test_drain()) {
    if (event.kind == EVENT_GADGET) gadget_events.push_back(event);
  }
  ASSERT_EQ(gadget_events.size(), 1u);
  EXPECT_EQ(gadget_events[0].gadget, 0);
}

TEST_F(EditorTest, CreatorResultsAndOuterWidget) {
  ObjectNumber handle = editor_create(4, 10, 20, 150, 60);
  GadgetRecord* record = gadget_find(4);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(handle, reinterpret_cast<ObjectNumber>(record->widget));
  EXPECT_TRUE(GTK_IS_TEXT_VIEW(record->widget));
  ASSERT_TRUE(GTK_IS_SCROLLED_WINDOW(record->outer));
  EXPECT_TRUE(gtk_text_view_get_editable(GTK_TEXT_VIEW(record->widget)));
  EXPECT_FALSE(gtk_text_view_get_editable(GTK_TEXT_VIEW(view())));
  x_test_pump();
  GtkAllocation allocation;
  gtk_widget_get_allocation(record->outer, &allocation);
  EXPECT_EQ(allocation.x, 10);
  EXPECT_EQ(allocation.y, 20);
  EXPECT_EQ(allocation.width, 150);
  EXPECT_EQ(allocation.height, 60);
  // Closing the window ends the editor and its number.
  window_close(window_);
  EXPECT_EQ(gadget_find(4), nullptr);
  EXPECT_EQ(gadget_get_text(4), "");
}

}  // namespace
