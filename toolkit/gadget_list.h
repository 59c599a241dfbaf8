// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TOOLKIT_GADGET_LIST_H_
#define OSTRELM_TOOLKIT_GADGET_LIST_H_

// The current gadget container: the place where the gadget creators put new
// gadgets (with gtk_fixed_put). Each window keeps its own container, so the
// application can switch between windows and every window's gadgets still go
// into that window. window_open makes a new window current unless it is given
// WINDOW_KEEP_GADGET_LIST.

typedef struct _GtkWidget GtkWidget;

// Makes the widget the current gadget container's owner and returns the
// window that was current before (null at first). For a GtkWindow the
// container is its "tq_gadgetlist" GtkFixed (one is made if the window has
// none); any other widget is itself the container. With null it only returns
// the current window.
GtkWidget* gadget_list_use(GtkWidget* widget);

// Where new gadgets go: the current window's GtkFixed (or the widget given
// to gadget_list_use); null while no window is current, and again after the
// current window has been destroyed.
GtkWidget* gadget_list_container();

// The window (or widget) whose gadget list is current, or null.
GtkWidget* gadget_list_window();

// Forgets the widget if it is current; the window layer calls it when a
// window is destroyed, so no gadget goes into a dead container.
void gadget_list_forget(GtkWidget* widget);

#endif  // OSTRELM_TOOLKIT_GADGET_LIST_H_
