#ifndef OSTRELM_TESTS_SUPPORT_EVENT_TEST_UTIL_H_
#define OSTRELM_TESTS_SUPPORT_EVENT_TEST_UTIL_H_

// Collecting the events of toolkit/event_queue.h in GUI tests.

#include <vector>

#include "toolkit/object_number.h"

// One event as wait_event returned it, with the last_event_* values.
struct TestEvent {
  int kind;
  ObjectNumber gadget;
  ObjectNumber window;
  int data;
};

// Sets up GTK, the event queue and the window layer (once per process).
void event_test_init_layers();

// Calls wait_event(0) for about `milliseconds` (at least once through the
// queue) and returns the real events (not EVENT_NONE / EVENT_IDLE) in order.
std::vector<TestEvent> event_test_drain(int milliseconds = 0);

// Calls wait_event until an event of `kind` (and `window`, unless -1) comes or
// `timeout_ms` passes; appends every event seen to `seen`, if given.
bool event_test_wait_for(int kind, ObjectNumber window, int timeout_ms, std::vector<TestEvent>* seen = nullptr);

// Whether an event in `events` has the kind (and the window, unless -1).
bool event_test_contains(const std::vector<TestEvent>& events, int kind, ObjectNumber window = -1);

#endif  // OSTRELM_TESTS_SUPPORT_EVENT_TEST_UTIL_H_
