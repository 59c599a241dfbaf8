// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TESTS_SUPPORT_GADGET_WINDOW_FIXTURE_H_
#define OSTRELM_TESTS_SUPPORT_GADGET_WINDOW_FIXTURE_H_

#include <gtest/gtest.h>

#include "tests/support/event_test_util.h"
#include "registry/object_number.h"

// A fresh, mapped 1021 x 700 resizable window per test for gadgets to go into.
class GadgetWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  ObjectNumber window_ = 0;
};

#endif  // OSTRELM_TESTS_SUPPORT_GADGET_WINDOW_FIXTURE_H_
