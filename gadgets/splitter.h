// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_SPLITTER_H_
#define OSTRELM_GADGETS_SPLITTER_H_

#include "registry/object_number.h"

// GTK types are only named here: the application includes this header.
typedef struct _GtkWidget GtkWidget;
typedef struct _GdkRectangle GdkRectangle;
typedef GdkRectangle GtkAllocation;

struct GadgetRecord;

// Flags of splitter_create. The value 2 is kept with the others but changes
// nothing; other bits are ignored.
enum SplitterFlag {
  SPLITTER_SIDE_BY_SIDE = 1,
  SPLITTER_SECOND_RESIZES = 4,
  SPLITTER_FIRST_RESIZES = 8,
};

enum SplitterPane { SPLITTER_FIRST_PANE = 1, SPLITTER_SECOND_PANE = 2 };

// Divides an area of the current gadget container between two existing
// gadgets, which leave the window's gadget list for the panes. Returns the
// new gadget number for -1, the GtkPaned handle for an explicit number, 0 when
// the paned cannot be made or the two numbers do not name two distinct
// gadgets other than the one being replaced.
ObjectNumber splitter_create(ObjectNumber number, int x, int y, int width,
                             int height, ObjectNumber first,
                             ObjectNumber second, unsigned flags = 0);

// Moves a gadget into the first or second pane of the splitter's paned.
void splitter_attach(GadgetRecord* record, ObjectNumber gadget, unsigned flags,
                     int width, int height, SplitterPane pane);

// "size-allocate" of the paned: posts a gadget event when the bar or the
// requested size changed since the last report.
void splitter_allocated(GtkWidget* paned, GtkAllocation* allocation,
                        void* number);

#endif  // OSTRELM_GADGETS_SPLITTER_H_
