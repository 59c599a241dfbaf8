// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TOOLKIT_WINDOW_BUSY_H_
#define OSTRELM_TOOLKIT_WINDOW_BUSY_H_

#include "registry/object_number.h"

// Shows the busy cursor over the whole window, its gadgets' own cursors (the
// text cursor of an editor) included, or gives every part its own cursor
// back. Nothing happens when the number names no window. The cursor changes
// on screen at the next dispatch of GTK work.
void window_busy_set(ObjectNumber window, bool busy);

#endif  // OSTRELM_TOOLKIT_WINDOW_BUSY_H_
