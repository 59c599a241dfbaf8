// The gadget core on real windows: nothing results, the creator contract,
// destruction, moving and sizing, hiding and fonts.
#include "toolkit/gadget.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "tests/support/event_test_util.h"
#include "tests/support/probe_gadget.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/window.h"

namespace {

class GadgetCoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    event_test_init_layers();
    gadget_layer_init();
    window_ = window_open(-1, 0, 0, 400, 300, "gadgets", 0);
    ASSERT_NE(window_, 0);
    ASSERT_TRUE(x_test_wait_mapped(window_handle(window_)));
  }
  void TearDown() override {
    window_close(window_);
    event_test_drain();
  }

  ObjectNumber window_ = 0;
};

GtkWidget* placed_of(ObjectNumber number) { return gadget_placed_widget(gadget_find(number)); }

void expect_position(GtkWidget* placed, int x, int y) {
  gint child_x = -1, child_y = -1;
  gtk_container_child_get(GTK_CONTAINER(gtk_widget_get_parent(placed)), placed, "x", &child_x, "y", &child_y,
                          NULL);
  EXPECT_EQ(child_x, x);
  EXPECT_EQ(child_y, y);
  GtkAllocation allocation;
  gtk_widget_get_allocation(placed, &allocation);
  EXPECT_EQ(allocation.x, x);
  EXPECT_EQ(allocation.y, y);
}

void expect_size_request(GtkWidget* placed, int width, int height) {
  gint requested_width = -1, requested_height = -1;
  gtk_widget_get_size_request(placed, &requested_width, &requested_height);
  EXPECT_EQ(requested_width, width);
  EXPECT_EQ(requested_height, height);
}

void expect_nothing_results(ObjectNumber number) {
  EXPECT_EQ(gadget_get_text(number), "");
  EXPECT_EQ(gadget_get_item_text(number, 0), "");
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
  expect_nothing_results(7);          // static, never created
  expect_nothing_results(1 << 20);    // static beyond the capacity
  ObjectNumber gone = probe_gadget_create(-1, 0, 0, 50, 20);
  gadget_set_text(gone, "here");
  ASSERT_EQ(gadget_get_text(gone), "here");
  gadget_free(gone);
  EXPECT_EQ(gadget_find(gone), nullptr);
  expect_nothing_results(gone);       // dynamic, freed

  ProbeOptions bare;
  bare.with_handlers = false;
  ObjectNumber plain = probe_gadget_create(-1, 0, 0, 50, 20, bare);
  ASSERT_NE(gadget_find(plain), nullptr);
  gtk_button_set_label(GTK_BUTTON(gadget_find(plain)->widget), "label");
  expect_nothing_results(plain);
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(gadget_find(plain)->widget)), "label");
}

TEST_F(GadgetCoreTest, CreatorResultsAndNumbersOnWidgets) {
  ObjectNumber dynamic = probe_gadget_create(-1, 0, 0, 50, 20);
  ASSERT_NE(dynamic, 0);
  GadgetRecord* record = gadget_find(dynamic);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(widget_gadget_number(record->widget), dynamic);
  EXPECT_EQ(widget_window_number(record->widget), window_);

  ObjectNumber handle = probe_gadget_create(0, 0, 30, 50, 20);
  ASSERT_NE(gadget_find(0), nullptr);
  EXPECT_EQ(handle, reinterpret_cast<ObjectNumber>(gadget_find(0)->widget));
  EXPECT_EQ(g_object_get_data(G_OBJECT(gadget_find(0)->widget), "tq_id"), reinterpret_cast<gpointer>(1));
  EXPECT_EQ(widget_gadget_number(gadget_find(0)->widget), 0);

  GtkWidget* loose = gtk_label_new("no gadget");
  g_object_ref_sink(loose);
  EXPECT_EQ(widget_gadget_number(loose), -1);
  EXPECT_EQ(widget_window_number(loose), -1);
  g_object_unref(loose);
}

TEST_F(GadgetCoreTest, CreatingOnAUsedNumberEndsTheOldGadgetFirst) {
  ProbeOptions wrapped;
  wrapped.with_outer = true;
  ASSERT_NE(probe_gadget_create(3, 10, 10, 60, 20, wrapped), 0);
  GtkWidget* old_placed = placed_of(3);
  GtkWidget* old_widget = gadget_find(3)->widget;
  g_object_add_weak_pointer(G_OBJECT(old_placed), reinterpret_cast<gpointer*>(&old_placed));
  g_object_add_weak_pointer(G_OBJECT(old_widget), reinterpret_cast<gpointer*>(&old_widget));
  const int frees_before = probe_gadget_frees();

  ASSERT_NE(probe_gadget_create(3, 100, 10, 60, 20), 0);
  EXPECT_EQ(old_placed, nullptr) << "the old gadget's outer widget is still alive";
  EXPECT_EQ(old_widget, nullptr) << "the old gadget's main widget is still alive";
  EXPECT_EQ(probe_gadget_frees(), frees_before + 1);
  GadgetRecord* record = gadget_find(3);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->outer, nullptr);
  EXPECT_EQ(widget_gadget_number(record->widget), 3);
  expect_position(placed_of(3), 100, 10);
}

TEST_F(GadgetCoreTest, ClosingTheWindowEndsItsGadgets) {
  ObjectNumber first = probe_gadget_create(-1, 0, 0, 50, 20);
  ASSERT_NE(probe_gadget_create(5, 0, 30, 50, 20), 0);
  const int frees_before = probe_gadget_frees();
  window_close(window_);
  EXPECT_EQ(probe_gadget_frees(), frees_before + 2);
  EXPECT_EQ(gadget_find(first), nullptr);
  EXPECT_EQ(gadget_find(5), nullptr);
  EXPECT_EQ(gadget_get_text(first), "");
  // A new window and gadget can take the static number again.
  window_ = window_open(-1, 0, 0, 200, 100, "again", 0);
  EXPECT_NE(probe_gadget_create(5, 0, 0, 50, 20), 0);
  EXPECT_EQ(widget_window_number(gadget_find(5)->widget), window_);
}

TEST_F(GadgetCoreTest, ResizeKeepsEveryIgnoredCoordinate) {
  constexpr int I = GADGET_IGNORE;
  ObjectNumber n = probe_gadget_create(-1, 10, 20, 100, 50);
  GtkWidget* placed = placed_of(n);

  gadget_resize(n, I, I, I, I);
  expect_position(placed, 10, 20);
  expect_size_request(placed, 100, 50);

  gadget_resize(n, 300, I, I, I);
  expect_position(placed, 300, 20);
  expect_size_request(placed, 100, 50);

  gadget_resize(n, I, 40, I, I);
  expect_position(placed, 300, 40);

  gadget_resize(n, I, I, 0, 300);  // not positive: size stays
  expect_size_request(placed, 100, 50);
  gadget_resize(n, I, I, 120, -5);
  expect_size_request(placed, 100, 50);

  gadget_resize(n, I, I, I, 70);  // ignored width: the requested one
  expect_size_request(placed, 100, 70);
  GtkAllocation allocation;
  gtk_widget_get_allocation(placed, &allocation);
  EXPECT_EQ(allocation.width, 100);
  EXPECT_EQ(allocation.height, 70);

  gadget_resize(n, 5, 6, 30, 40);
  expect_position(placed, 5, 6);
  expect_size_request(placed, 30, 40);
}

TEST_F(GadgetCoreTest, ResizeActsOnTheOuterWidget) {
  ProbeOptions wrapped;
  wrapped.with_outer = true;
  ObjectNumber n = probe_gadget_create(-1, 10, 20, 100, 50, wrapped);
  gadget_resize(n, 60, 70, 80, 90);
  expect_position(placed_of(n), 60, 70);
  expect_size_request(placed_of(n), 80, 90);
  EXPECT_NE(placed_of(n), gadget_find(n)->widget);
}

TEST_F(GadgetCoreTest, HideThenShowWithoutDispatchLeavesTheGadgetVisible) {
  ObjectNumber n = probe_gadget_create(-1, 10, 20, 100, 50);
  GtkWidget* placed = placed_of(n);
  gadget_hide(n, 1);
  gadget_hide(n, 0);
  x_test_pump();
  EXPECT_TRUE(gtk_widget_get_visible(placed));
  EXPECT_TRUE(gtk_widget_get_mapped(placed));

  gadget_hide(n, 2);
  x_test_pump();
  EXPECT_FALSE(gtk_widget_get_visible(placed));
  EXPECT_FALSE(gtk_widget_get_mapped(placed));
}

TEST_F(GadgetCoreTest, DefaultFontGoesToGadgetsCreatedAfterwards) {
  PangoFontDescription* font = pango_font_description_from_string("Monospace 13");
  ObjectNumber before = probe_gadget_create(-1, 0, 0, 50, 20);
  gadget_set_font(-1, font);
  ObjectNumber after = probe_gadget_create(-1, 0, 30, 50, 20);
  gadget_set_font(-1, reinterpret_cast<PangoFontDescription*>(-1));  // no default font again
  ObjectNumber later = probe_gadget_create(-1, 0, 60, 50, 20);

  EXPECT_EQ(g_object_get_data(G_OBJECT(gadget_find(before)->widget), "tq_gadget_font"), nullptr);
  EXPECT_EQ(gadget_widget_get_font(gadget_find(after)->widget), font);
  EXPECT_EQ(g_object_get_data(G_OBJECT(gadget_find(later)->widget), "tq_gadget_font"), nullptr);
  // Without a font of its own a widget reports its style's font.
  EXPECT_NE(gadget_widget_get_font(gadget_find(later)->widget), nullptr);

  gadget_set_font(before, font);
  EXPECT_EQ(gadget_widget_get_font(gadget_find(before)->widget), font);
  gadget_set_font(before, nullptr);
  EXPECT_EQ(g_object_get_data(G_OBJECT(gadget_find(before)->widget), "tq_gadget_font"), nullptr);
  window_close(window_);  // the widgets go before the font
  pango_font_description_free(font);
}

}  // namespace
