// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/event_queue.h"

#include <gtk/gtk.h>

#include <chrono>
#include <memory>
#include <thread>

#include "registry/record_pool.h"

namespace {

struct EventQueue {
  EventRecord* head = nullptr;  // oldest
  EventRecord* tail = nullptr;  // newest
  std::unique_ptr<RecordPool> pool;
};

struct LastEvent {
  int kind = EVENT_NONE;
  ObjectNumber gadget = 0;
  ObjectNumber window = -1;
  int data = 0;
};

EventQueue queue;
LastEvent last_event;
int suppress_count = 0;
// How deep the calls that run GTK's main loop are nested, and that depth when
// the outermost suppression began: only what the program's own calls post at
// that depth is its own doing; what a dispatch inside the bracket delivers
// came from the user or the window manager.
int dispatch_depth = 0;
int suppressed_depth = 0;
// EVENT_CLOSE records in the queue, so that a batch can ask after every file
// without walking thousands of queued events.
int closes_queued = 0;
constexpr std::chrono::milliseconds kPumpPeriod(50);
std::chrono::steady_clock::time_point last_pump;

void main_iteration(gboolean blocking) {
  ++dispatch_depth;
  gtk_main_iteration_do(blocking);
  --dispatch_depth;
}

void record_free(EventRecord* record) {
  if (record->kind == EVENT_CLOSE) --closes_queued;
  pool_free(*queue.pool, record);
}

// Unlinks every queued record that matches; the others keep their order.
template <typename Match>
void remove_matching(Match match) {
  EventRecord** link = &queue.head;
  EventRecord* kept = nullptr;
  while (*link != nullptr) {
    EventRecord* record = *link;
    if (match(*record)) {
      *link = record->next;
      record_free(record);
    } else {
      kept = record;
      link = &record->next;
    }
  }
  queue.tail = kept;
}

bool take_oldest_event(int* kind_out) {
  EventRecord* record = queue.head;
  if (record == nullptr) return false;
  last_event = LastEvent{record->kind, record->gadget, record->window, record->data};
  queue.head = record->next;
  if (queue.head == nullptr) queue.tail = nullptr;
  record_free(record);
  *kind_out = last_event.kind;
  return true;
}

bool dispatch_one_if_pending() {
  if (!gtk_events_pending()) return false;
  main_iteration(FALSE);
  return true;
}

// Polls rather than blocks, so that the call can return when the time-out
// passes. A monotonic clock keeps a change of the wall clock from cutting the
// wait short or stretching it.
bool dispatch_within(int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  while (!gtk_events_pending()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    if (elapsed.count() > timeout_ms) break;
  }
  return dispatch_one_if_pending();
}

bool dispatch_gtk_work(int timeout_ms) {
  if (timeout_ms == 0) return dispatch_one_if_pending();
  if (timeout_ms < 0) {
    main_iteration(TRUE);
    return true;
  }
  return dispatch_within(timeout_ms);
}

}  // namespace

void event_queue_init() {
  if (queue.pool) return;
  queue.pool = pool_create(sizeof(EventRecord), 16, 256);
  // Never given back: the first block stays, so a quiet queue does not give
  // its memory back and take it again with every event.
  pool_alloc(*queue.pool);
}

void post_event(int kind, ObjectNumber gadget, ObjectNumber window, int data) {
  if (suppress_count != 0 && dispatch_depth <= suppressed_depth) return;
  event_queue_init();
  auto* record = static_cast<EventRecord*>(pool_alloc(*queue.pool));
  if (record == nullptr) return;
  *record = EventRecord{nullptr, kind, gadget, window, data};
  if (queue.tail != nullptr) {
    queue.tail->next = record;
  } else {
    queue.head = record;
  }
  queue.tail = record;
  if (kind == EVENT_CLOSE) ++closes_queued;
}

int wait_event(int timeout) {
  last_event = LastEvent{};
  int kind = EVENT_NONE;
  // A queued event is delivered without touching GTK.
  if (take_oldest_event(&kind)) return kind;
  bool dispatched = dispatch_gtk_work(timeout);
  if (take_oldest_event(&kind)) return kind;
  return dispatched ? EVENT_IDLE : EVENT_NONE;
}

ObjectNumber last_event_gadget() { return last_event.gadget; }
ObjectNumber last_event_window() { return last_event.window; }
int last_event_data() { return last_event.data; }

int event_queue_peek_kind() { return queue.head != nullptr ? queue.head->kind : EVENT_NONE; }

void event_queue_remove_window(ObjectNumber window) {
  remove_matching([window](const EventRecord& record) { return record.window == window; });
}

void event_queue_remove_gadget(ObjectNumber gadget) {
  remove_matching([gadget](const EventRecord& record) {
    return record.kind == EVENT_GADGET && record.gadget == gadget;
  });
}

bool events_close_requested() { return closes_queued > 0; }

void events_suppress_begin() {
  if (suppress_count++ == 0) suppressed_depth = dispatch_depth;
}

void events_suppress_end() {
  // An unmatched end must not leave the count below zero, which would
  // silence every later event.
  if (suppress_count > 0) --suppress_count;
}

void events_flush() {
  while (gtk_events_pending()) main_iteration(FALSE);
}

void events_pump_if_due() {
  const auto now = std::chrono::steady_clock::now();
  if (now - last_pump < kPumpPeriod) return;
  events_flush();
  // The period counts the program's own work, not the time GTK took.
  last_pump = std::chrono::steady_clock::now();
}
