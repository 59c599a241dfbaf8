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

bool take_oldest_event(int* kind_out) {
  EventRecord* record = queue.head;
  if (record == nullptr) return false;
  last_event = LastEvent{record->kind, record->gadget, record->window, record->data};
  queue.head = record->next;
  if (queue.head == nullptr) queue.tail = nullptr;
  pool_free(*queue.pool, record);
  *kind_out = last_event.kind;
  return true;
}

bool dispatch_one_if_pending() {
  if (!gtk_events_pending()) return false;
  gtk_main_iteration_do(FALSE);
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
    gtk_main_iteration();
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
  if (suppress_count != 0) return;
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
  EventRecord** link = &queue.head;
  EventRecord* kept = nullptr;
  while (*link != nullptr) {
    EventRecord* record = *link;
    if (record->window == window) {
      *link = record->next;
      pool_free(*queue.pool, record);
    } else {
      kept = record;
      link = &record->next;
    }
  }
  queue.tail = kept;
}

void events_suppress_begin() { ++suppress_count; }

void events_suppress_end() {
  // An unmatched end must not leave the count below zero, which would
  // silence every later event.
  if (suppress_count > 0) --suppress_count;
}

void events_flush() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}
