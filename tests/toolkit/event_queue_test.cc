#include "toolkit/event_queue.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <chrono>

#include "tests/support/event_test_util.h"
#include "tests/support/x_test_util.h"

namespace {

using Clock = std::chrono::steady_clock;

long milliseconds_since(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

gboolean post_nothing(gpointer) { return FALSE; }

gboolean post_two_events(gpointer) {
  post_event(EVENT_SIZE, 0, 5, 0);
  post_event(EVENT_GADGET, 77, 5, 768);
  return FALSE;
}

gboolean count_call(gpointer calls) {
  ++*static_cast<int*>(calls);
  return FALSE;
}

class EventQueueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { event_test_init_layers(); }
  void SetUp() override {
    // Start from a quiet loop and an empty queue.
    event_test_drain();
    ASSERT_EQ(event_queue_peek_kind(), EVENT_NONE);
  }
};

TEST_F(EventQueueTest, ZeroTimeOutReportsWhetherGtkHadWork) {
  EXPECT_EQ(wait_event(0), EVENT_NONE);
  EXPECT_EQ(last_event_window(), -1);
  g_idle_add(post_nothing, nullptr);
  EXPECT_EQ(wait_event(0), EVENT_IDLE) << "work that posts nothing";
  EXPECT_EQ(last_event_gadget(), 0);
  EXPECT_EQ(last_event_window(), -1);
  EXPECT_EQ(last_event_data(), 0);
  EXPECT_EQ(wait_event(0), EVENT_NONE);
}

TEST_F(EventQueueTest, PositiveTimeOutWaitsThatLongOrUntilGtkHasWork) {
  Clock::time_point start = Clock::now();
  EXPECT_EQ(wait_event(120), EVENT_NONE);
  long waited = milliseconds_since(start);
  EXPECT_GE(waited, 120);
  EXPECT_LT(waited, 400);

  g_timeout_add(40, post_nothing, nullptr);
  start = Clock::now();
  EXPECT_EQ(wait_event(3000), EVENT_IDLE);
  waited = milliseconds_since(start);
  EXPECT_GE(waited, 35);
  EXPECT_LT(waited, 1000) << "returns once GTK has work";
}

TEST_F(EventQueueTest, EventsOfOneIterationComeBackOneACallWithoutFurtherDispatch) {
  g_idle_add(post_two_events, nullptr);
  EXPECT_EQ(wait_event(0), EVENT_SIZE);
  EXPECT_EQ(last_event_window(), 5);
  EXPECT_EQ(last_event_gadget(), 0);

  int calls = 0;
  g_idle_add(count_call, &calls);
  EXPECT_EQ(wait_event(-1), EVENT_GADGET) << "a queued event needs no GTK iteration, even blocking";
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(last_event_gadget(), 77);
  EXPECT_EQ(last_event_window(), 5);
  EXPECT_EQ(last_event_data(), 768);

  EXPECT_EQ(wait_event(0), EVENT_IDLE);
  EXPECT_EQ(calls, 1);
}

TEST_F(EventQueueTest, ManyEventsKeepTheirOrder) {
  for (int i = 0; i < 3000; ++i) post_event(EVENT_GADGET, i, 1, i * 2);
  for (int i = 0; i < 3000; ++i) {
    ASSERT_EQ(wait_event(0), EVENT_GADGET);
    ASSERT_EQ(last_event_gadget(), i);
    ASSERT_EQ(last_event_data(), i * 2);
  }
  EXPECT_EQ(wait_event(0), EVENT_NONE);
}

TEST_F(EventQueueTest, SuppressedEventsAreLostUntilTheLastEnd) {
  events_suppress_begin();
  events_suppress_begin();
  post_event(EVENT_GADGET, 1, 1, 0);
  events_suppress_end();
  post_event(EVENT_GADGET, 2, 1, 0);
  EXPECT_EQ(event_queue_peek_kind(), EVENT_NONE);
  events_suppress_end();
  events_suppress_end();  // unmatched: must not start suppressing
  post_event(EVENT_GADGET, 3, 1, 0);
  EXPECT_EQ(wait_event(0), EVENT_GADGET);
  EXPECT_EQ(last_event_gadget(), 3);
  EXPECT_EQ(wait_event(0), EVENT_NONE);
}

TEST_F(EventQueueTest, RemovingAWindowsEventsKeepsTheOthersInOrder) {
  post_event(EVENT_CLOSE, 0, 1, 0);
  post_event(EVENT_GADGET, 10, 2, 0);
  post_event(EVENT_SIZE, 0, 1, 0);
  post_event(EVENT_GADGET, 11, 3, 0);
  post_event(EVENT_MOVE, 0, 1, 0);
  EXPECT_EQ(event_queue_peek_kind(), EVENT_CLOSE);
  event_queue_remove_window(1);
  EXPECT_EQ(event_queue_peek_kind(), EVENT_GADGET);
  post_event(EVENT_GADGET, 12, 2, 0);  // the tail must be the last record kept
  std::vector<ObjectNumber> gadgets;
  while (wait_event(0) == EVENT_GADGET) gadgets.push_back(last_event_gadget());
  EXPECT_EQ(gadgets, (std::vector<ObjectNumber>{10, 11, 12}));

  post_event(EVENT_SIZE, 0, 4, 0);
  event_queue_remove_window(4);
  EXPECT_EQ(event_queue_peek_kind(), EVENT_NONE);
  post_event(EVENT_MOVE, 0, 6, 0);  // an emptied queue takes events again
  EXPECT_EQ(wait_event(0), EVENT_MOVE);
}

}  // namespace
