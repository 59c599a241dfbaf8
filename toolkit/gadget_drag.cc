// SPDX-License-Identifier: GPL-3.0-or-later
// Drag-start detection for the explorer gadgets: one GADGET_EVENT_DRAG_START
// per press of button 1 once the pointer has left GTK's drag threshold. The
// handlers only watch; they return FALSE so selection and activation go on.
#include <gtk/gtk.h>

#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

struct DragTracker {
  ObjectNumber gadget;
  int pressed;
  int dragging;
  int start_x;
  int start_y;
};

// Buttons 1 to 5 held, as bits of an event's state.
constexpr guint kAnyButtonMask =
    GDK_BUTTON1_MASK | GDK_BUTTON2_MASK | GDK_BUTTON3_MASK | GDK_BUTTON4_MASK | GDK_BUTTON5_MASK;

gboolean drag_press(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  auto* tracker = static_cast<DragTracker*>(data);
  // A press on a column header is a click on the header, not on a row.
  if (GTK_IS_TREE_VIEW(widget) && event->window != gtk_tree_view_get_bin_window(GTK_TREE_VIEW(widget))) {
    return FALSE;
  }
  if (event->button != 1) return FALSE;
  tracker->pressed = 1;
  tracker->dragging = 0;
  tracker->start_x = static_cast<int>(event->x);
  tracker->start_y = static_cast<int>(event->y);
  return FALSE;
}

gboolean drag_release(GtkWidget*, GdkEventButton*, gpointer data) {
  static_cast<DragTracker*>(data)->pressed = 0;
  return FALSE;
}

gboolean drag_motion(GtkWidget* widget, GdkEventMotion* event, gpointer data) {
  auto* tracker = static_cast<DragTracker*>(data);
  if (!tracker->pressed || tracker->dragging) return FALSE;
  if ((event->state & kAnyButtonMask) != GDK_BUTTON1_MASK) return FALSE;
  const int x = static_cast<int>(event->x);
  const int y = static_cast<int>(event->y);
  if (gtk_drag_check_threshold(widget, tracker->start_x, tracker->start_y, x, y)) {
    post_event(EVENT_GADGET, tracker->gadget, widget_window_number(widget), GADGET_EVENT_DRAG_START);
    tracker->dragging = 1;
  }
  return FALSE;
}

void drag_tracker_free(gpointer data, GClosure*) { g_free(data); }

}  // namespace

void gadget_watch_drag(ObjectNumber number, GtkWidget* widget) {
  auto* tracker = static_cast<DragTracker*>(g_try_malloc0(sizeof(DragTracker)));
  if (!tracker) return;
  tracker->gadget = number;
  gtk_widget_add_events(widget, GDK_BUTTON_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  g_signal_connect(widget, "button-press-event", G_CALLBACK(drag_press), tracker);
  g_signal_connect(widget, "button-release-event", G_CALLBACK(drag_release), tracker);
  g_signal_connect_data(widget, "motion-notify-event", G_CALLBACK(drag_motion), tracker,
                        drag_tracker_free, GConnectFlags(0));
}
