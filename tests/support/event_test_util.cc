#include "tests/support/event_test_util.h"

#include <chrono>
#include <thread>

#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace {

using Clock = std::chrono::steady_clock;

bool matches(const TestEvent& event, int kind, ObjectNumber window) {
  return event.kind == kind && (window == -1 || event.window == window);
}

// Calls wait_event(0), after letting the X server catch up, until `done` holds
// for the events so far or `milliseconds` pass (at least one round through the
// queue); sleeps briefly whenever the queue is empty.
template <typename Done>
std::vector<TestEvent> collect(int milliseconds, Done done) {
  std::vector<TestEvent> events;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (bool first = true; first || (Clock::now() < end && !done(events)); first = false) {
    for (int kind; x_test_pump(0), (kind = wait_event(0)) != EVENT_NONE;) {
      if (kind != EVENT_IDLE) events.push_back({kind, last_event_gadget(), last_event_window(), last_event_data()});
      if (done(events)) return events;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return events;
}

}  // namespace

void event_test_init_layers() {
  toolkit_init();
  event_queue_init();
  window_layer_init();
}

std::vector<TestEvent> event_test_drain(int milliseconds) {
  return collect(milliseconds, [](const std::vector<TestEvent>&) { return false; });
}

bool event_test_wait_for(int kind, ObjectNumber window, int timeout_ms, std::vector<TestEvent>* seen) {
  bool found = false;
  std::vector<TestEvent> events = collect(timeout_ms, [&](const std::vector<TestEvent>& so_far) {
    return found = !so_far.empty() && matches(so_far.back(), kind, window);
  });
  if (seen) seen->insert(seen->end(), events.begin(), events.end());
  return found;
}

bool event_test_contains(const std::vector<TestEvent>& events, int kind, ObjectNumber window) {
  for (const TestEvent& event : events)
    if (matches(event, kind, window)) return true;
  return false;
}
