// The gadget core on real windows: nothing results, the creator contract,
// destruction, moving, sizing, hiding, fonts and drag detection.
#include "toolkit/gadget.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <utility>
#include <vector>

#include "tests/support/gadget_window_fixture.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/window.h"

namespace {

int probe_frees = 0;

// A minimal gadget type: a GtkButton, optionally inside an event box as its
// outer widget; `bare` fills no handler but the free hook.
ObjectNumber probe_create(ObjectNumber number, int x, int y, bool with_outer = false, bool bare = false) {
  static GadgetType full{}, plain{};
  if (!full.record_size) {
    plain.record_size = full.record_size = sizeof(GadgetRecord);
    plain.free_hook = full.free_hook = [](GadgetRecord*) { ++probe_frees; };
    full.get_text = [](GadgetRecord* r) -> std::string { return gtk_button_get_label(GTK_BUTTON(r->widget)); };
    full.set_text = [](GadgetRecord* r, const char* text) { gtk_button_set_label(GTK_BUTTON(r->widget), text); };
    full.set_font = gadget_shared_set_font;
  }
  GtkWidget* button = gtk_button_new_with_label("");
  ObjectNumber gadget = 0;
  GadgetRecord* record = gadget_record_start(number, button, &gadget);
  if (!record) return 0;
  GtkWidget* outer = with_outer ? gtk_event_box_new() : nullptr;
  if (outer) gtk_container_add(GTK_CONTAINER(outer), button);
  gadget_place(outer ? outer : button, x, y, 100, 50);
  gtk_widget_show_all(outer ? outer : button);
  record->widget = button;
  record->outer = outer;
  record->type = bare ? &plain : &full;
  gadget_register(record, gadget);
  return gadget_creator_result(number, gadget);
}

GtkWidget* placed_of(ObjectNumber number) { return gadget_placed_widget(gadget_find(number)); }

// Position in the container and requested size of a placed widget.
std::vector<int> geometry(GtkWidget* placed) {
  int x = -1, y = -1, width = -1, height = -1;
  gtk_container_child_get(GTK_CONTAINER(gtk_widget_get_parent(placed)), placed, "x", &x, "y", &y, NULL);
  gtk_widget_get_size_request(placed, &width, &height);
  return {x, y, width, height};
}

class GadgetCoreTest : public GadgetWindowTest {};

void expect_nothing_results(ObjectNumber number) {
  EXPECT_EQ(gadget_get_text(number), "") << number;
  EXPECT_EQ(gadget_get_item_text(number, 2, 3), "");
  EXPECT_EQ(gadget_count_items(number), 0);
  EXPECT_EQ(gadget_get_item_state(number, 0), 0u);
  EXPECT_EQ(gadget_add_item(number, -1, "x"), 0);
  // None of these may touch anything.
  gadget_set_text(number, "x");
  gadget_clear_items(number);
  gadget_resize(number, 1, 1, 10, 10);
  gadget_hide(number, 1);
  gadget_set_font(number, nullptr);
}

TEST_F(GadgetCoreTest, NumbersWithoutGadgetAndTypesWithoutHandlersGiveNothing) {
  expect_nothing_results(7);
  expect_nothing_results(1 << 20);  // static beyond the capacity
  ObjectNumber gone = probe_create(-1, 0, 0);
  gadget_set_text(gone, "here");
  ASSERT_EQ(gadget_get_text(gone), "here");
  gadget_free(gone);
  expect_nothing_results(gone);
  ObjectNumber plain = probe_create(-1, 0, 0, false, true);
  gtk_button_set_label(GTK_BUTTON(gadget_find(plain)->widget), "label");
  expect_nothing_results(plain);
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(gadget_find(plain)->widget)), "label");
}

TEST_F(GadgetCoreTest, CreatingOnAUsedNumberEndsTheOldGadgetFirst) {
  ASSERT_NE(probe_create(3, 10, 10, true), 0);
  GtkWidget *old_placed = placed_of(3), *old_widget = gadget_find(3)->widget;
  for (GtkWidget** old : {&old_placed, &old_widget})
    g_object_add_weak_pointer(G_OBJECT(*old), reinterpret_cast<gpointer*>(old));
  const int frees_before = probe_frees;
  ObjectNumber handle = probe_create(3, 100, 10);
  EXPECT_EQ(old_placed, nullptr) << "the old gadget's outer widget is still alive";
  EXPECT_EQ(old_widget, nullptr) << "its main widget is still alive";
  EXPECT_EQ(probe_frees, frees_before + 1);
  EXPECT_EQ(handle, reinterpret_cast<ObjectNumber>(gadget_find(3)->widget)) << "an explicit number gives the handle";
  EXPECT_EQ(widget_gadget_number(gadget_find(3)->widget), 3);
  EXPECT_EQ(widget_window_number(gadget_find(3)->widget), window_);
  EXPECT_EQ(geometry(placed_of(3))[0], 100);
}

TEST_F(GadgetCoreTest, ClosingTheWindowEndsItsGadgets) {
  ObjectNumber first = probe_create(-1, 0, 0);
  ASSERT_NE(probe_create(5, 0, 30), 0);
  const int frees_before = probe_frees;
  window_close(window_);
  EXPECT_EQ(probe_frees, frees_before + 2);
  EXPECT_TRUE(gadget_find(first) == nullptr && gadget_find(5) == nullptr);
  window_ = window_open(-1, 0, 0, 200, 100, "again", 0);
  EXPECT_NE(probe_create(5, 0, 0), 0) << "the static number is free again";
}

TEST_F(GadgetCoreTest, ResizeKeepsEveryIgnoredCoordinate) {
  constexpr int I = GADGET_IGNORE;
  const struct {
    int x, y, width, height;
    std::vector<int> expected;  // x, y, requested width and height
  } steps[] = {
      {I, I, I, I, {10, 20, 100, 50}},    {300, I, I, I, {300, 20, 100, 50}},
      {I, 40, I, I, {300, 40, 100, 50}},  {I, I, 0, 300, {300, 40, 100, 50}},  // not positive: size stays
      {I, I, 120, -5, {300, 40, 100, 50}}, {I, I, I, 70, {300, 40, 100, 70}},
      {5, 6, 30, 40, {5, 6, 30, 40}},
  };
  for (bool with_outer : {false, true}) {
    ObjectNumber n = probe_create(-1, 10, 20, with_outer);
    for (const auto& s : steps) {
      gadget_resize(n, s.x, s.y, s.width, s.height);
      EXPECT_EQ(geometry(placed_of(n)), s.expected) << s.x << "," << s.y << "," << s.width << "," << s.height;
    }
    x_test_pump();
    GtkAllocation allocation;
    gtk_widget_get_allocation(placed_of(n), &allocation);
    EXPECT_EQ(std::make_pair(allocation.x, allocation.height), std::make_pair(5, 40)) << "reached the layout";
  }
}

TEST_F(GadgetCoreTest, HideThenShowWithoutDispatchLeavesTheGadgetVisible) {
  ObjectNumber n = probe_create(-1, 10, 20);
  gadget_hide(n, 1);
  gadget_hide(n, 0);
  x_test_pump();
  EXPECT_TRUE(gtk_widget_get_mapped(placed_of(n)));
  gadget_hide(n, 2);
  x_test_pump();
  EXPECT_FALSE(gtk_widget_get_visible(placed_of(n)));
}

TEST_F(GadgetCoreTest, DefaultFontGoesToGadgetsCreatedAfterwards) {
  PangoFontDescription* font = pango_font_description_from_string("Monospace 13");
  ObjectNumber before = probe_create(-1, 0, 0);
  gadget_set_font(-1, font);
  ObjectNumber after = probe_create(-1, 0, 30);
  gadget_set_font(-1, reinterpret_cast<PangoFontDescription*>(-1));  // no default font again
  ObjectNumber later = probe_create(-1, 0, 60);
  EXPECT_NE(gadget_widget_get_font(gadget_find(before)->widget), font);
  EXPECT_EQ(gadget_widget_get_font(gadget_find(after)->widget), font);
  EXPECT_NE(gadget_widget_get_font(gadget_find(later)->widget), font);
  window_close(window_);  // the widgets go before the font
  pango_font_description_free(font);
}

// A list gadget as the explorers make it: a tree view with a header row and
// ten rows in a scrolled window, watched for drags, driven by real input.
class GadgetDragTest : public GadgetCoreTest {
 protected:
  void SetUp() override {
    GadgetCoreTest::SetUp();
    GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
    for (int i = 0; i < 10; ++i) gtk_list_store_insert_with_values(store, nullptr, -1, 0, "row", -1);
    view_ = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    g_object_unref(store);
    GtkTreeView* view = GTK_TREE_VIEW(view_);
    gtk_tree_view_insert_column_with_attributes(view, -1, "Name", gtk_cell_renderer_text_new(), "text", 0, NULL);
    GtkTreeViewColumn* column = gtk_tree_view_get_column(view, 0);
    gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(column, 60);
    gtk_tree_view_column_set_max_width(column, 60);
    gtk_tree_view_set_headers_clickable(view, TRUE);
    GadgetRecord* record = gadget_record_start(-1, view_, &list_);
    ASSERT_NE(record, nullptr);
    record->widget = view_;
    record->outer = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(record->outer), view_);
    gadget_place(record->outer, 10, 10, 300, 300);
    gtk_widget_show_all(record->outer);
    gadget_watch_drag(list_, view_);
    gadget_register(record, list_);
    ASSERT_TRUE(x_test_wait_mapped(view_));
    event_test_drain();
    // The middle of the third row, and the header row's height, in view coordinates.
    GdkRectangle area;
    GtkTreePath* path = gtk_tree_path_new_from_indices(2, -1);
    gtk_tree_view_get_background_area(view, path, nullptr, &area);
    gtk_tree_path_free(path);
    gtk_tree_view_convert_bin_window_to_widget_coords(view, 40, area.y + area.height / 2, &row_x_, &row_y_);
    gtk_tree_view_convert_bin_window_to_widget_coords(view, 0, 0, &area.x, &header_height_);
    g_object_get(gtk_widget_get_settings(view_), "gtk-dnd-drag-threshold", &threshold_, NULL);
  }

  // Presses at (x, y), moves in small steps `distance` on, releases; the drag starts posted.
  int drag_starts(int button, int x, int y, int distance = -1) {
    if (distance < 0) distance = 4 * threshold_;
    x_test_move_pointer(view_, x, y);
    x_test_button(button, true);
    for (int step = 1; step <= distance; step += 2) x_test_move_pointer(view_, x + step, y + step / 2);
    x_test_button(button, false);
    x_test_move_pointer(view_, x + 4 * threshold_, y + 4 * threshold_);  // moving without a button
    int starts = 0;
    for (const TestEvent& event : gadget_events(50)) {
      if (event.data != GADGET_EVENT_DRAG_START) continue;
      EXPECT_EQ(event.gadget, list_);
      EXPECT_EQ(event.window, window_);
      ++starts;
    }
    return starts;
  }

  ObjectNumber list_ = 0;
  GtkWidget* view_ = nullptr;
  int row_x_ = 0, row_y_ = 0, header_height_ = 0, threshold_ = 8;
};

TEST_F(GadgetDragTest, EachPressOfButtonOneBeyondTheThresholdStartsExactlyOneDrag) {
  EXPECT_EQ(drag_starts(1, row_x_, row_y_), 1);
  EXPECT_EQ(drag_starts(1, row_x_, row_y_), 1) << "a new press starts a new drag";
  EXPECT_EQ(drag_starts(1, row_x_, row_y_, threshold_ / 2), 0) << "within the threshold";
  EXPECT_EQ(drag_starts(3, row_x_, row_y_), 0);
  ASSERT_GT(header_height_, 4);
  EXPECT_EQ(drag_starts(1, 20, header_height_ / 2), 0) << "press on the column button";
  EXPECT_EQ(drag_starts(1, 200, header_height_ / 2), 0) << "press on the header row beside the columns";
  EXPECT_EQ(drag_starts(1, row_x_, row_y_), 1) << "still detects drags afterwards";
}

// GTK 2 lets the column buttons take header presses, so real input cannot
// show that the detection itself tells header presses from row presses: a
// press delivered on the view's outer window (where the header lies) must not arm it.
TEST_F(GadgetDragTest, PressOutsideTheRowAreaIsIgnored) {
  GdkWindow* outer = gtk_widget_get_window(view_);
  ASSERT_NE(outer, gtk_tree_view_get_bin_window(GTK_TREE_VIEW(view_)));
  const double far = 20 + 4 * threshold_;
  for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_MOTION_NOTIFY, GDK_BUTTON_RELEASE}) {
    GdkEvent* event = gdk_event_new(type);
    const bool press = type == GDK_BUTTON_PRESS;
    if (type == GDK_MOTION_NOTIFY) {
      event->motion.state = GDK_BUTTON1_MASK;
      event->motion.x = event->motion.y = far;
    } else {
      event->button.button = 1;
      event->button.x = press ? 20 : far;
      event->button.y = press ? 5 : far;
    }
    event->any.window = GDK_WINDOW(g_object_ref(outer));
    gtk_widget_event(view_, event);
    gdk_event_free(event);
  }
  for (const TestEvent& event : gadget_events(0)) EXPECT_NE(event.data, GADGET_EVENT_DRAG_START);
}

}  // namespace
