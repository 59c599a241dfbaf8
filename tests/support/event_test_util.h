// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TESTS_SUPPORT_EVENT_TEST_UTIL_H_
#define OSTRELM_TESTS_SUPPORT_EVENT_TEST_UTIL_H_

#include <vector>

#include "registry/object_number.h"

// One event as wait_event returned it, with the last_event_* values.
struct TestEvent {
  int kind;
  ObjectNumber gadget;
  ObjectNumber window;
  int data;
};

void event_test_init_layers();  // GTK, the event queue and the window layer
// The real events (not EVENT_NONE / EVENT_IDLE) of calling wait_event(0) for
// about `milliseconds`, at least once through the queue.
std::vector<TestEvent> event_test_drain(int milliseconds = 0);
bool event_test_contains(const std::vector<TestEvent>& events, int kind, ObjectNumber window = -1);

#endif  // OSTRELM_TESTS_SUPPORT_EVENT_TEST_UTIL_H_
