#ifndef OSTRELM_TESTS_SUPPORT_PROBE_GADGET_H_
#define OSTRELM_TESTS_SUPPORT_PROBE_GADGET_H_

// A minimal gadget type for tests of the gadget core: a GtkButton (optionally
// wrapped in a GtkEventBox as its outer widget) made through the creator
// contract, counting how often its free hook runs.

#include "toolkit/gadget.h"

struct ProbeOptions {
  bool with_outer = false;   // wrap the button in an outer widget
  bool with_handlers = true; // false: a type that fills no handler at all
};

// Runs of the probe types' free hooks since the process started.
int probe_gadget_frees();

// Creates a probe gadget in the current container. Result as every creator's.
ObjectNumber probe_gadget_create(ObjectNumber number, int x, int y, int width, int height,
                                 const ProbeOptions& options = ProbeOptions());

#endif  // OSTRELM_TESTS_SUPPORT_PROBE_GADGET_H_
