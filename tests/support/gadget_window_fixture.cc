// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/gadget_window_fixture.h"

#include "tests/support/x_test_util.h"
#include "toolkit/gadget.h"
#include "toolkit/window.h"

void GadgetWindowTest::SetUpTestSuite() {
  event_test_init_layers();
  gadget_layer_init();
}

void GadgetWindowTest::SetUp() {
  window_ = window_open(-1, 0, 0, 1021, 700, "gadgets", WINDOW_RESIZABLE);
  ASSERT_TRUE(x_test_wait_mapped(window_handle(window_)));
  event_test_drain(100);
}

void GadgetWindowTest::TearDown() {
  window_close(window_);
  event_test_drain(20);
}
