#ifndef OSTRELM_TESTS_SUPPORT_GADGET_WINDOW_FIXTURE_H_
#define OSTRELM_TESTS_SUPPORT_GADGET_WINDOW_FIXTURE_H_

// A fixture for gadget tests: the layers set up once, and a fresh window on
// the screen for every test (gadgets are created in it), closed afterwards.

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/event_test_util.h"
#include "toolkit/object_number.h"

class GadgetWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  // A 1021 x 700 resizable window, mapped, with its events drained.
  void SetUp() override;
  void TearDown() override;

  // The EVENT_GADGET events of the next `milliseconds` (0: only what is
  // queued and pending now), of `gadget` only unless it is -1.
  static std::vector<TestEvent> gadget_events(int milliseconds, ObjectNumber gadget = -1);

  ObjectNumber window_ = 0;
};

#endif  // OSTRELM_TESTS_SUPPORT_GADGET_WINDOW_FIXTURE_H_
