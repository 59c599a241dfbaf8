// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_REGISTRY_OBJECT_NUMBER_H_
#define OSTRELM_REGISTRY_OBJECT_NUMBER_H_

#include <cstdint>

// Names a window, gadget or open file. Either a static number chosen by the
// application (0 up to a table's capacity minus 1) or, for objects created
// with -1, the address of the object's record; hence wide enough for a pointer.
using ObjectNumber = std::intptr_t;

// Passed to a creator to let the layer choose the number.
constexpr ObjectNumber OBJECT_NUMBER_ANY = -1;

#endif  // OSTRELM_REGISTRY_OBJECT_NUMBER_H_
