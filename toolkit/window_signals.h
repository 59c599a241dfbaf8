// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TOOLKIT_WINDOW_SIGNALS_H_
#define OSTRELM_TOOLKIT_WINDOW_SIGNALS_H_

// The signal handlers that turn what happens to a window into queued events.
// Internal to the window layer.

#include <gtk/gtk.h>

#include "registry/object_number.h"

// GTK object data keys of the last known size and position.
constexpr char WINDOW_KEY_PREVIOUS_WIDTH[] = "tq_previous_width";
constexpr char WINDOW_KEY_PREVIOUS_HEIGHT[] = "tq_previous_height";
constexpr char WINDOW_KEY_PREVIOUS_X[] = "tq_previous_x";
constexpr char WINDOW_KEY_PREVIOUS_Y[] = "tq_previous_y";

int window_int_data(GtkWidget* window, const char* key);
void window_set_int_data(GtkWidget* window, const char* key, int value);

// Connects the event-posting handlers of the window ("configure-event",
// "window-state-event", "delete-event", focus and motion) with the window's
// number as their user data.
void window_connect_signals(GtkWidget* window, ObjectNumber number);

// Connects "expose-event" of the window's gadget container.
void window_connect_expose(GtkWidget* gadget_list, ObjectNumber number);

#endif  // OSTRELM_TOOLKIT_WINDOW_SIGNALS_H_
