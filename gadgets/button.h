// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_BUTTON_H_
#define OSTRELM_GADGETS_BUTTON_H_

#include "registry/object_number.h"

// GTK types are only named here: the application includes this header.
typedef struct _GtkWidget GtkWidget;
typedef struct _GdkRectangle GdkRectangle;
typedef GdkRectangle GtkAllocation;

// Flags of button_create; bits combine, all others are ignored.
enum ButtonFlag {
  BUTTON_ALIGN_RIGHT = 1,
  BUTTON_ALIGN_LEFT = 2,  // ignored together with BUTTON_ALIGN_RIGHT
  BUTTON_TOGGLE = 4,
  BUTTON_WRAP = 16,
};

// A push (or toggle) button with a text label in the current gadget
// container. Returns the new gadget number for -1, the GtkButton handle for an
// explicit number, 0 when GTK cannot make the button. A null text leaves the
// label empty.
ObjectNumber button_create(ObjectNumber number, int x, int y, int width,
                           int height, const char* text, unsigned flags = 0);

// A disabled button is greyed and takes no click or key: it posts nothing.
// Nothing happens when the number names no button.
void button_set_enabled(ObjectNumber number, bool enabled);

// "clicked": one EVENT_GADGET per user click or toggle.
void button_clicked(GtkWidget* widget, void* number);

// "size-allocate" of a wrapping button: the label follows the button's size.
int button_label_allocate(GtkWidget* button, GtkAllocation* allocation);

#endif  // OSTRELM_GADGETS_BUTTON_H_
