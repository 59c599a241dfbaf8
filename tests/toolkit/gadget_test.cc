// SPDX-License-Identifier: GPL-3.0-or-later
// The gadget core on real windows: nothing results, re-creation, sizing, hiding, drags.
#include "toolkit/gadget.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <vector>

#include "tests/support/gadget_window_fixture.h"
#include "tests/support/x_test_util.h"

namespace {

int probe_frees = 0;

// A minimal gadget: a GtkButton, optionally inside an event box as its outer widget.
ObjectNumber probe_create(ObjectNumber number, int x, int y, bool with_outer = false) {
  static GadgetType type{};
  type.record_size = sizeof(GadgetRecord);
  type.free_hook = [](GadgetRecord*) { ++probe_frees; };
  GtkWidget* button = gtk_button_new_with_label("");
  ObjectNumber gadget = 0;
  GadgetRecord* record = gadget_record_start(number, button, &gadget);
  record->widget = button;
  record->outer = with_outer ? gtk_event_box_new() : nullptr;
  if (with_outer) gtk_container_add(GTK_CONTAINER(record->outer), button);
  gadget_place(gadget_placed_widget(record), x, y, 100, 50);
  gtk_widget_show_all(gadget_placed_widget(record));
  record->type = &type;
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

using GadgetCoreTest = GadgetWindowTest;

TEST_F(GadgetCoreTest, UnknownAndFreedNumbersGiveNothing) {
  ObjectNumber gone = probe_create(-1, 0, 0);
  gadget_free(gone);
  for (ObjectNumber number : {ObjectNumber{7}, ObjectNumber{1 << 20}, gone}) {
    EXPECT_EQ(gadget_get_text(number), "") << number;
    EXPECT_EQ(gadget_get_item_text(number, 2, 3), "");
    EXPECT_EQ(gadget_count_items(number), 0);
    EXPECT_EQ(gadget_get_item_state(number, 0), 0u);
    EXPECT_EQ(gadget_add_item(number, -1, "x"), 0);
    gadget_set_text(number, "x");  // none of these may touch anything
    gadget_clear_items(number);
    gadget_resize(number, 1, 1, 10, 10);
    gadget_hide(number, 1);
  }
}

TEST_F(GadgetCoreTest, CreatingOnAUsedNumberEndsTheOldGadgetFirst) {
  ASSERT_NE(probe_create(3, 10, 10, true), 0);
  GtkWidget *old_placed = placed_of(3), *old_widget = gadget_find(3)->widget;
  for (GtkWidget** old : {&old_placed, &old_widget})
    g_object_add_weak_pointer(G_OBJECT(*old), reinterpret_cast<gpointer*>(old));
  const int frees_before = probe_frees;
  probe_create(3, 100, 10);
  EXPECT_EQ(old_placed, nullptr) << "the old outer widget is still alive";
  EXPECT_EQ(old_widget, nullptr) << "the old main widget is still alive";
  EXPECT_EQ(probe_frees, frees_before + 1);
  EXPECT_EQ(geometry(placed_of(3))[0], 100);
}

TEST_F(GadgetCoreTest, ResizeKeepsIgnoredCoordinatesAndHideShowStaysVisible) {
  constexpr int I = GADGET_IGNORE;
  const struct {
    int x, y, width, height;
    std::vector<int> expected;  // x, y, requested width and height
  } steps[] = {
      {I, I, I, I, {10, 20, 100, 50}},    {300, I, I, I, {300, 20, 100, 50}},
      {I, 40, I, I, {300, 40, 100, 50}},  {I, I, 0, 300, {300, 40, 100, 50}},  // not positive: size stays
      {I, I, 120, -5, {300, 40, 100, 50}}, {I, I, I, 70, {300, 40, 100, 70}},
  };
  for (bool with_outer : {false, true}) {
    ObjectNumber n = probe_create(-1, 10, 20, with_outer);
    for (const auto& s : steps) {
      gadget_resize(n, s.x, s.y, s.width, s.height);
      EXPECT_EQ(geometry(placed_of(n)), s.expected) << s.x << "," << s.y << "," << s.width << "," << s.height;
    }
    gadget_hide(n, 1);
    gadget_hide(n, 0);
    x_test_pump();
    EXPECT_TRUE(gtk_widget_get_mapped(placed_of(n)));
  }
}

// A list as the explorers make it: a tree view with a header row in a
// scrolled window, watched for drags, driven by real input.
TEST_F(GadgetCoreTest, EachButtonOnePressOnARowStartsExactlyOneDrag) {
  GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
  for (int i = 0; i < 10; ++i) gtk_list_store_insert_with_values(store, nullptr, -1, 0, "row", -1);
  GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(view), -1, "Name", gtk_cell_renderer_text_new(), "text",
                                              0, NULL);
  gtk_tree_view_set_headers_clickable(GTK_TREE_VIEW(view), TRUE);
  ObjectNumber list = 0;
  GadgetRecord* record = gadget_record_start(-1, view, &list);
  record->widget = view;
  record->outer = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(record->outer), view);
  gadget_place(record->outer, 10, 10, 300, 300);
  gtk_widget_show_all(record->outer);
  gadget_watch_drag(list, view);
  gadget_register(record, list);
  ASSERT_TRUE(x_test_wait_mapped(view));
  int row_x = 0, row_y = 0, left = 0, header = 0, threshold = 8;  // a row's middle and the header's height
  gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(view), 40, 40, &row_x, &row_y);
  gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(view), 0, 0, &left, &header);
  g_object_get(gtk_widget_get_settings(view), "gtk-dnd-drag-threshold", &threshold, NULL);
  ASSERT_GT(header, 4);

  // Presses at (x, y), moves in small steps `distance` on, releases, moves on without a button.
  const auto drag_starts = [&](int button, int x, int y, int distance) {
    x_test_move_pointer(view, x, y);
    x_test_button(button, true);
    for (int step = 1; step <= distance; step += 2) x_test_move_pointer(view, x + step, y + step / 2);
    x_test_button(button, false);
    x_test_move_pointer(view, x + 4 * threshold, y + 4 * threshold);
    int starts = 0;
    for (const TestEvent& event : gadget_events(50, list)) starts += event.data == GADGET_EVENT_DRAG_START;
    return starts;
  };
  const int far = 4 * threshold;
  EXPECT_EQ(drag_starts(1, row_x, row_y, far), 1);
  EXPECT_EQ(drag_starts(1, row_x, row_y, far), 1) << "a new press starts a new drag";
  EXPECT_EQ(drag_starts(1, row_x, row_y, threshold / 2), 0) << "within the threshold";
  EXPECT_EQ(drag_starts(3, row_x, row_y, far), 0);
  EXPECT_EQ(drag_starts(1, 20, header / 2, far), 0) << "press on the column header";
  EXPECT_EQ(drag_starts(1, row_x, row_y, far), 1) << "still detects drags afterwards";
}

}  // namespace
