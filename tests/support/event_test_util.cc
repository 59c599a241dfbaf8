// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/event_test_util.h"

#include <chrono>
#include <thread>

#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

void event_test_init_layers() {
  toolkit_init();
  event_queue_init();
  window_layer_init();
}

std::vector<TestEvent> event_test_drain(int milliseconds) {
  std::vector<TestEvent> events;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    for (int kind; x_test_pump(0), (kind = wait_event(0)) != EVENT_NONE;)
      if (kind != EVENT_IDLE) events.push_back({kind, last_event_gadget(), last_event_window(), last_event_data()});
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < end);
  return events;
}

bool event_test_contains(const std::vector<TestEvent>& events, int kind, ObjectNumber window) {
  for (const TestEvent& event : events)
    if (event.kind == kind && (window == -1 || event.window == window)) return true;
  return false;
}
