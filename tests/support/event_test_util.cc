#include "tests/support/event_test_util.h"

#include <chrono>
#include <thread>

#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace {

using Clock = std::chrono::steady_clock;

// One wait_event(0) after letting the X server catch up; false on EVENT_NONE.
bool take_one(std::vector<TestEvent>* events) {
  x_test_pump(0);
  int kind = wait_event(0);
  if (kind != EVENT_NONE && kind != EVENT_IDLE)
    events->push_back(TestEvent{kind, last_event_gadget(), last_event_window(), last_event_data()});
  return kind != EVENT_NONE;
}

bool matches(const TestEvent& event, int kind, ObjectNumber window) {
  return event.kind == kind && (window == -1 || event.window == window);
}

}  // namespace

void event_test_init_layers() {
  toolkit_init();
  event_queue_init();
  window_layer_init();
}

std::vector<TestEvent> event_test_drain(int milliseconds) {
  std::vector<TestEvent> events;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    while (take_one(&events)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (Clock::now() < end);
  return events;
}

bool event_test_wait_for(int kind, ObjectNumber window, int timeout_ms, std::vector<TestEvent>* seen) {
  std::vector<TestEvent> events;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeout_ms);
  bool found = false;
  while (!found && Clock::now() < end) {
    std::size_t before = events.size();
    if (!take_one(&events)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    found = events.size() > before && matches(events.back(), kind, window);
  }
  if (seen) seen->insert(seen->end(), events.begin(), events.end());
  return found;
}

bool event_test_contains(const std::vector<TestEvent>& events, int kind, ObjectNumber window) {
  for (const TestEvent& event : events)
    if (matches(event, kind, window)) return true;
  return false;
}
