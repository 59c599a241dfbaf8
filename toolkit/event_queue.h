// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TOOLKIT_EVENT_QUEUE_H_
#define OSTRELM_TOOLKIT_EVENT_QUEUE_H_

// The one FIFO queue between GTK and the application. GTK signal handlers of
// windows and gadgets only append records with post_event; the application
// polls with wait_event, which drives the GTK main loop until the queue holds
// something or a time-out passes, and then asks the last_event_* accessors
// which gadget, window and detail the returned event concerns.
//
// Handlers run only inside the calls that dispatch GTK work: wait_event,
// events_flush, events_pump_if_due, window_open, window_close and the gadget
// operations that flush. There is one thread and no lock.

#include "registry/object_number.h"

enum EventKind : int {
  EVENT_IDLE = -1,  // wait_event: GTK dispatched something that posted nothing
  EVENT_NONE = 0,   // wait_event: nothing dispatched, nothing queued
  EVENT_CLOSE = 2,  // the user asked to close the window; it stays open
  EVENT_GADGET = 3,  // gadget number in gadget, GADGET_EVENT_* in data
  EVENT_EXPOSE = 4,
  EVENT_MOVE = 5,
  EVENT_SIZE = 6,
  EVENT_FOCUS_IN = 7,
  EVENT_FOCUS_OUT = 8,
  EVENT_MINIMIZE = 12,
  EVENT_MAXIMIZE = 13,
  EVENT_RESTORE = 14,
  EVENT_MOTION = 24,
};

// One queued event. Window events carry gadget 0 and data 0.
struct EventRecord {
  EventRecord* next;  // the next newer record; null for the tail
  int kind;
  ObjectNumber gadget;
  ObjectNumber window;
  int data;
};

// Creates the queue's record pool (blocks of 16 to 256 records) and keeps one
// record of it for good, so that its first block is never released. Only the
// first call does anything; post_event calls it if nobody has.
void event_queue_init();

// Appends an event at the tail, unless events are suppressed and the program's
// own call, not a dispatch of GTK work inside the suppressed stretch, posts it.
void post_event(int kind, ObjectNumber gadget, ObjectNumber window, int data);

// Returns the kind of the oldest queued event and removes it. With nothing
// queued it runs at most one iteration of the GTK main loop first:
//   timeout < 0: blocks until GTK has dispatched something;
//   timeout 0: dispatches pending work, if any, without waiting;
//   timeout > 0: waits up to about that many milliseconds for GTK work.
// Then it returns the oldest event posted meanwhile, else EVENT_IDLE if GTK
// dispatched something, else EVENT_NONE.
int wait_event(int timeout);

// The event that the last wait_event returned. After EVENT_NONE, EVENT_IDLE:
// gadget 0, window -1, data 0.
ObjectNumber last_event_gadget();
ObjectNumber last_event_window();
int last_event_data();

// The kind of the oldest queued event without removing it; 0 if none.
int event_queue_peek_kind();

// Drops every queued event of the window; the others keep their order.
void event_queue_remove_window(ObjectNumber window);

// Drops every queued EVENT_GADGET of the gadget; the others keep their order.
void event_queue_remove_gadget(ObjectNumber gadget);

// True while an EVENT_CLOSE waits in the queue.
bool events_close_requested();

// While at least one begin is not matched by an end, the events that the
// program's own calls cause are lost: the selection that a gadget makes when
// told to, a toggle set by the program. Events that GTK dispatches meanwhile
// (events_flush inside the bracket: the user's clicks and keys, a close
// request, the window's own configure) are queued as always. Calls nest; an
// end without a begin is ignored.
void events_suppress_begin();
void events_suppress_end();

// Dispatches GTK work while there is any; never blocks.
void events_flush();

// For long work inside the handling of one event: flushes when 50 ms of the
// caller's work have passed since the last pump, so that the window draws and
// answers the window manager and assistive technology. The handlers only
// queue events; nothing is handled until the caller returns to the loop.
void events_pump_if_due();

#endif  // OSTRELM_TOOLKIT_EVENT_QUEUE_H_
