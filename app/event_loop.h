// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_APP_EVENT_LOOP_H_
#define OSTRELM_APP_EVENT_LOOP_H_

#include "app/main_window.h"

// Acts on one event of the given kind, described by last_event_gadget() and
// the window's size: the tree moves the list, the button converts, a size
// change fits the layout. Returns false for the close request, which ends
// the loop; every other kind is handled (or ignored) and returns true.
bool event_loop_handle(const MainWindow& main, int kind);

// Waits for events and handles them until the window's close box is used.
void event_loop_run(const MainWindow& main);

#endif  // OSTRELM_APP_EVENT_LOOP_H_
