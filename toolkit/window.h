// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TOOLKIT_WINDOW_H_
#define OSTRELM_TOOLKIT_WINDOW_H_

// Numbered toplevel windows. The application opens a window by number (or
// -1 to let the layer choose), learns what happens to it through the events
// of toolkit/event_queue.h and closes it by number; it never sees GTK.
//
// Every window signal handler posts at most one event and, except for
// "delete-event", lets GTK go on with its own handling. A close request from
// the window's decoration only posts EVENT_CLOSE: the window stays until the
// application calls window_close.
//
// This header is included by the application, so GTK types are only
// forward-declared.

#include <cstdint>
#include <string>

#include "registry/object_number.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkAccelGroup GtkAccelGroup;

// Flags of window_open; bits combine.
enum WindowFlag : std::uint32_t {
  WINDOW_HIDDEN = 0x1,             // not shown at creation
  WINDOW_RESIZABLE = 0x2,          // minimum 30x30; resize frame and resize function
  WINDOW_MENU_DECORATION = 0x4,    // window-menu decoration
  WINDOW_MAXIMIZE_BUTTON = 0x10,   // maximise decoration and function
  WINDOW_MINIMIZE_BUTTON = 0x20,   // minimise decoration and function
  WINDOW_CENTERED = 0x40,          // centred on the screen; x and y unused
  WINDOW_UNDECORATED = 0x80,       // no decorations at all (functions stay)
  WINDOW_START_MAXIMIZED = 0x200,
  WINDOW_START_MINIMIZED = 0x400,  // ignored with WINDOW_START_MAXIMIZED
  WINDOW_KEEP_GADGET_LIST = 0x1000,  // the current gadget container stays where it was
};

// States of window_set_state; any other value restores the normal state.
enum WindowState : int {
  WINDOW_STATE_NORMAL = 0,
  WINDOW_STATE_MAXIMIZED = 512,
  WINDOW_STATE_MINIMIZED = 1024,
};

// As x or y of window_open: no position requested.
constexpr int WINDOW_IGNORE_POSITION = -65535;

// GTK object data on every window of this layer.
// "tq_id" holds the window number itself, as a pointer-sized integer:
//   reinterpret_cast<ObjectNumber>(g_object_get_data(G_OBJECT(window), WINDOW_KEY_ID))
// (window number 0 reads as null; window_number_of tells it from no window).
constexpr char WINDOW_KEY_ID[] = "tq_id";
constexpr char WINDOW_KEY_VBOX[] = "tq_vbox";            // the GtkVBox filling the window
constexpr char WINDOW_KEY_GADGET_LIST[] = "tq_gadgetlist";  // the GtkFixed for its gadgets
constexpr char WINDOW_KEY_ACCELERATORS[] = "tq_accelerators";

// One open window, in the window table. `window` stays first: the table
// treats a record whose first word is zero as free.
struct WindowRecord {
  GtkWidget* window;           // the GtkWindow
  GtkAccelGroup* accelerators;  // attached to the window; released when it goes
  std::uint32_t flags;         // as given to window_open
};

// Creates the window table (16 slots, grown by 16, window_close as its free
// function). Only the first call does anything. Needs toolkit_init first.
void window_layer_init();

// Gives every window opened afterwards the icon of this name from the icon
// theme. Besides the theme's own folders, the icons are looked for beside the
// executable: in icons/ (the build folder, before installing) and in
// ../share/icons (an installation under a prefix the desktop does not search).
void window_set_default_icon(const std::string& icon_name);

// Opens a window of width x height pixels at (x, y) on the screen, titled
// with a program string. With number -1 returns the new window's number; with
// an explicit number closes any window that had it and returns the GtkWindow
// handle as an integer; 0 if the window cannot be made. Unless
// WINDOW_KEEP_GADGET_LIST is given, the new window becomes the current gadget
// container (toolkit/gadget_list.h).
ObjectNumber window_open(ObjectNumber number, int x, int y, int width, int height,
                         const std::string& title, std::uint32_t flags);

// Destroys the window, and with it its gadgets, dispatches what that causes
// and drops the window's queued events. Nothing happens for a number without
// a window.
void window_close(ObjectNumber number);

// Closes every window: static numbers ascending, then the others oldest first.
void window_close_all();

// The client size as of the last size change GTK reported; 0 without window.
int window_width(ObjectNumber number);
int window_height(ObjectNumber number);

// WINDOW_STATE_MAXIMIZED, WINDOW_STATE_MINIMIZED or anything else for the
// normal state. The change happens when the window manager makes it.
void window_set_state(ObjectNumber number, int state);

// The window's record, or null. Records may move when a window with a new
// static number is opened: keep the number, not the record.
WindowRecord* window_find(ObjectNumber number);

// The GtkWindow of the window with that number, or null.
GtkWidget* window_handle(ObjectNumber number);

// The number of a GtkWindow opened by window_open, read from its "tq_id";
// -1 for any other widget.
ObjectNumber window_number_of(GtkWidget* window);

#endif  // OSTRELM_TOOLKIT_WINDOW_H_
