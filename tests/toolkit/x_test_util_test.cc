// The X input helpers that the gadget tests rely on deliver real input.
#include "tests/support/x_test_util.h"

#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include "toolkit/toolkit.h"

namespace {

struct Presses {
  int single = 0;
  int double_click = 0;
  int button = 0;
  double x = -1;
  double y = -1;
};

gboolean note_press(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* presses = static_cast<Presses*>(data);
  if (event->type == GDK_BUTTON_PRESS) ++presses->single;
  if (event->type == GDK_2BUTTON_PRESS) ++presses->double_click;
  presses->button = static_cast<int>(event->button);
  presses->x = event->x;
  presses->y = event->y;
  return FALSE;
}

class XTestUtilTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { toolkit_init(); }
  void SetUp() override {
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_move(GTK_WINDOW(window), 30, 40);
    fixed = gtk_fixed_new();  // no window of its own: positions are offsets
    gtk_container_add(GTK_CONTAINER(window), fixed);
    gtk_window_set_title(GTK_WINDOW(window), "helpers");
  }
  void TearDown() override {
    gtk_widget_destroy(window);
    x_test_pump();
  }

  GtkWidget* put(GtkWidget* widget, int x, int y, int width, int height) {
    gtk_widget_set_size_request(widget, width, height);
    gtk_fixed_put(GTK_FIXED(fixed), widget, x, y);
    return widget;
  }

  GtkWidget* window = nullptr;
  GtkWidget* fixed = nullptr;
};

TEST_F(XTestUtilTest, ClicksLandAtTheWidgetRelativePoint) {
  GtkWidget* area = put(gtk_event_box_new(), 50, 60, 100, 80);
  Presses presses;
  g_signal_connect(area, "button-press-event", G_CALLBACK(note_press), &presses);
  gtk_widget_show_all(window);
  ASSERT_TRUE(x_test_wait_mapped(area));
  int root_x = 0;
  int root_y = 0;
  ASSERT_TRUE(x_test_root_position(area, 0, 0, &root_x, &root_y));
  EXPECT_EQ(root_x, 30 + 50);
  EXPECT_EQ(root_y, 40 + 60);

  x_test_click(area, 7, 9, 3);
  EXPECT_EQ(presses.single, 1);
  EXPECT_EQ(presses.button, 3);
  EXPECT_EQ(presses.x, 7);
  EXPECT_EQ(presses.y, 9);

  x_test_double_click(area, 20, 20);
  EXPECT_EQ(presses.double_click, 1);
}

TEST_F(XTestUtilTest, KeysReachTheFocusedWidget) {
  GtkWidget* entry = put(gtk_entry_new(), 10, 10, 150, 30);
  gtk_widget_show_all(window);
  ASSERT_TRUE(x_test_wait_mapped(entry));
  ASSERT_TRUE(x_test_focus(entry));
  gtk_widget_grab_focus(entry);
  x_test_key('a');
  x_test_key('b', X_TEST_SHIFT);
  x_test_key(GDK_Left);
  x_test_key('c');
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(entry)), "acB");
}

TEST_F(XTestUtilTest, PropertiesAndCloseRequestsOfTheToplevel) {
  gtk_widget_show_all(window);
  ASSERT_TRUE(x_test_wait_mapped(window));
  EXPECT_EQ(x_test_window_string_property(fixed, "WM_NAME"), "helpers");
  EXPECT_TRUE(x_test_window_property(window, "_NO_SUCH_PROPERTY").empty());
  bool asked = false;
  g_signal_connect_swapped(window, "delete-event", G_CALLBACK(+[](gpointer flag) {
                             *static_cast<bool*>(flag) = true;
                             return TRUE;
                           }),
                           &asked);
  x_test_request_close(window);
  EXPECT_TRUE(asked);
}

}  // namespace
