// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/window_signals.h"

#include "toolkit/event_queue.h"

namespace {

ObjectNumber number_of(gpointer user_data) { return reinterpret_cast<ObjectNumber>(user_data); }

gpointer user_data_of(ObjectNumber number) { return reinterpret_cast<gpointer>(number); }

void post_window_event(int kind, gpointer number) { post_event(kind, 0, number_of(number), 0); }

// A resize that also moves reports only the size; the position is stored
// by the next configure that moves without resizing.
gboolean window_configured(GtkWidget* window, GdkEventConfigure* event, gpointer number) {
  if (event->width != window_int_data(window, WINDOW_KEY_PREVIOUS_WIDTH) ||
      event->height != window_int_data(window, WINDOW_KEY_PREVIOUS_HEIGHT)) {
    window_set_int_data(window, WINDOW_KEY_PREVIOUS_WIDTH, event->width);
    window_set_int_data(window, WINDOW_KEY_PREVIOUS_HEIGHT, event->height);
    post_window_event(EVENT_SIZE, number);
  } else if (event->x != window_int_data(window, WINDOW_KEY_PREVIOUS_X) ||
             event->y != window_int_data(window, WINDOW_KEY_PREVIOUS_Y)) {
    window_set_int_data(window, WINDOW_KEY_PREVIOUS_X, event->x);
    window_set_int_data(window, WINDOW_KEY_PREVIOUS_Y, event->y);
    post_window_event(EVENT_MOVE, number);
  }
  return FALSE;
}

// Leaving the minimised state reports the state the window comes back in,
// so a window restored into maximised reports EVENT_MAXIMIZE.
gboolean window_state_changed(GtkWidget*, GdkEventWindowState* event, gpointer number) {
  const GdkWindowState changed = event->changed_mask;
  const GdkWindowState state = event->new_window_state;
  const bool maximized = (state & GDK_WINDOW_STATE_MAXIMIZED) != 0;
  if (changed & GDK_WINDOW_STATE_ICONIFIED) {
    if (state & GDK_WINDOW_STATE_ICONIFIED) {
      post_window_event(EVENT_MINIMIZE, number);
    } else {
      post_window_event(maximized ? EVENT_MAXIMIZE : EVENT_RESTORE, number);
    }
  } else if (changed & GDK_WINDOW_STATE_MAXIMIZED) {
    post_window_event(maximized ? EVENT_MAXIMIZE : EVENT_RESTORE, number);
  }
  return FALSE;
}

// The window stays: only the application closes it.
gboolean window_delete_requested(GtkWidget*, GdkEvent*, gpointer number) {
  post_window_event(EVENT_CLOSE, number);
  return TRUE;
}

// The handlers that only report that their signal fired.
template <int kind, typename Event>
gboolean window_report(GtkWidget*, Event*, gpointer number) {
  post_window_event(kind, number);
  return FALSE;
}

}  // namespace

int window_int_data(GtkWidget* window, const char* key) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(window), key));
}

void window_set_int_data(GtkWidget* window, const char* key, int value) {
  g_object_set_data(G_OBJECT(window), key, GINT_TO_POINTER(value));
}

void window_connect_signals(GtkWidget* window, ObjectNumber number) {
  gpointer data = user_data_of(number);
  g_signal_connect(window, "configure-event", G_CALLBACK(window_configured), data);
  g_signal_connect(window, "window-state-event", G_CALLBACK(window_state_changed), data);
  g_signal_connect(window, "delete-event", G_CALLBACK(window_delete_requested), data);
  g_signal_connect(window, "focus-in-event", G_CALLBACK((window_report<EVENT_FOCUS_IN, GdkEventFocus>)),
                   data);
  g_signal_connect(window, "focus-out-event",
                   G_CALLBACK((window_report<EVENT_FOCUS_OUT, GdkEventFocus>)), data);
  g_signal_connect(window, "motion-notify-event",
                   G_CALLBACK((window_report<EVENT_MOTION, GdkEventMotion>)), data);
}

void window_connect_expose(GtkWidget* gadget_list, ObjectNumber number) {
  g_signal_connect(gadget_list, "expose-event",
                   G_CALLBACK((window_report<EVENT_EXPOSE, GdkEventExpose>)), user_data_of(number));
}
