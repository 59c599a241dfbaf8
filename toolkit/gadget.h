// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TOOLKIT_GADGET_H_
#define OSTRELM_TOOLKIT_GADGET_H_

// Gadgets: the numbered controls inside a window.
//
// The application names a gadget by a number (a static slot number it chooses,
// or the number the layer hands back for -1) and reaches every gadget through
// the generic operations below. Each gadget type supplies a GadgetType, a table
// of optional handlers; an operation whose handler is missing, or whose number
// names no gadget, does nothing and returns its "nothing" result (0, "" or
// nullptr).
//
// This header is included by the application, which never sees GTK, so GTK
// types are only forward-declared here. Gadget implementations include
// <gtk/gtk.h> themselves.

#include <cstddef>
#include <cstdint>
#include <string>

#include "registry/object_number.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GdkPixbuf GdkPixbuf;
typedef struct _PangoFontDescription PangoFontDescription;

// ---------------------------------------------------------------------------
// Gadget events: the data of an EVENT_GADGET event.

enum GadgetEvent : int {
  GADGET_EVENT_DEFAULT = 0,  // button click, editor text change, splitter move
  GADGET_EVENT_LEFT_CLICK = 0,
  GADGET_EVENT_RIGHT_CLICK = 1,
  GADGET_EVENT_LEFT_DOUBLE_CLICK = 2,
  GADGET_EVENT_RIGHT_DOUBLE_CLICK = 3,
  GADGET_EVENT_CHANGE = 768,       // explorer selection or directory change
  GADGET_EVENT_DRAG_START = 2048,  // see gadget_watch_drag
};

// Type numbers of the gadget types. They only identify a type; no generic
// operation reads them.
enum GadgetTypeNumber : int {
  TYPE_BUTTON = 1,
  TYPE_EDITOR = 22,
  TYPE_EXPLORER_LIST = 23,
  TYPE_EXPLORER_TREE = 24,
  TYPE_SPLITTER = 29,
};

// In a move or resize, a coordinate with this value keeps its current value.
constexpr int GADGET_IGNORE = -65535;

// Colour selectors of the shared colour handlers.
enum GadgetColourWhich : int {
  GADGET_COLOUR_TEXT = 1,
  GADGET_COLOUR_BACKGROUND = 2,
};

// ---------------------------------------------------------------------------
// Records and types (for gadget implementations).

struct GadgetType;

// One gadget in the gadget table. The registry treats a record whose first
// field is zero as a free slot, so `widget` must stay first. Records live in
// the table's memory and may move when the table grows: keep numbers, not
// record pointers, across anything that can create a gadget.
struct GadgetRecord {
  GtkWidget* widget;        // main widget: text, items and signals act on it
  GtkWidget* outer;         // wrapper inside the window (scrolled window) or nullptr
  const GadgetType* type;   // handler table of the gadget's type
  // Five words owned by the gadget's type. The shared colour handlers keep
  // the text colour + 1 in word5 and the background colour + 1 in word6.
  std::intptr_t word4;
  std::intptr_t word5;
  std::intptr_t word6;
  std::intptr_t word7;
  std::intptr_t word8;
};

// The per-type handler table. Every handler is optional (nullptr).
//
// Text crosses this boundary as UTF-8: the generic operations convert the
// application's program strings to UTF-8 before calling a handler and convert
// the UTF-8 a handler returns back into a program string. Handlers therefore
// never call text_to_toolkit / text_from_toolkit for the generic operations.
//
// A type builds its table once, for example
//   static const GadgetType type = [] {
//     GadgetType t{};
//     t.record_size = sizeof(GadgetRecord);
//     t.type_number = TYPE_EDITOR;
//     t.get_text = editor_get_text;
//     return t;
//   }();
// inside its creator, so the table is filled by the first creation.
struct GadgetType {
  std::size_t record_size;
  int type_number;

  // Called by gadget_destroyed before the record is freed: release what the
  // type owns. The widgets are already being destroyed by GTK.
  void (*free_hook)(GadgetRecord* record);

  // Reached by no generic operation of this system.
  int (*get_state)(GadgetRecord* record);
  void (*set_state)(GadgetRecord* record, int value);

  std::string (*get_text)(GadgetRecord* record);                 // gadget_get_text
  void (*set_text)(GadgetRecord* record, const char* utf8);       // gadget_set_text
  int (*add_item)(GadgetRecord* record, int position, const char* utf8,
                  GdkPixbuf* image);                              // gadget_add_item
  int (*add_item_with_flags)(GadgetRecord* record, int position, const char* utf8,
                             GdkPixbuf* image, int flags);        // preferred by gadget_add_item
  void (*remove_item)(GadgetRecord* record, int item);            // no operation
  void (*clear_items)(GadgetRecord* record);                      // gadget_clear_items
  // gadget_resize; without it the generic gadget_resize_widget runs.
  void (*resize)(GadgetRecord* record, int x, int y, int width, int height);
  int (*count_items)(GadgetRecord* record);                       // gadget_count_items
  std::uint32_t (*get_item_state)(GadgetRecord* record, int item);  // gadget_get_item_state
  std::string (*get_item_text)(GadgetRecord* record, int item,
                               int column);                       // gadget_get_item_text
  void (*set_item_text)(GadgetRecord* record, int item, const char* utf8,
                        int column);                              // no operation
  void (*set_font)(GadgetRecord* record, PangoFontDescription* font);  // gadget_set_font

  // Reached by no generic operation of this system (the explorer list's
  // creator calls its own add_column).
  int (*add_column)(GadgetRecord* record, const char* identifier, int position, int width);
  int (*get_attribute)(GadgetRecord* record, int attribute);
  void (*set_attribute)(GadgetRecord* record, int attribute, int value);
  int (*get_item_attribute)(GadgetRecord* record, int item, int attribute, int column);
  void (*set_item_attribute)(GadgetRecord* record, int item, int attribute, int value,
                             int column);
  void (*remove_column)(GadgetRecord* record, int index);
  void (*set_colour)(GadgetRecord* record, int which, int colour);
  int (*get_colour)(GadgetRecord* record, int which);
  PangoFontDescription* (*get_font)(GadgetRecord* record);
};

// ---------------------------------------------------------------------------
// Layer set-up.

// Creates the gadget table (16 slots, grown by 16) with gadget_free as its
// free function. Call once, after the window layer.
void gadget_layer_init();

// ---------------------------------------------------------------------------
// Generic operations. Text arguments and results are program strings.

// Adds an item (an editor line, ...). Position -1 appends. Uses the type's
// add_item_with_flags, else add_item. Result: the handler's, else 0.
int gadget_add_item(ObjectNumber number, int position, const std::string& text,
                    GdkPixbuf* image = nullptr, int flags = 0);
void gadget_clear_items(ObjectNumber number);
int gadget_count_items(ObjectNumber number);
std::uint32_t gadget_get_item_state(ObjectNumber number, int item);
std::string gadget_get_item_text(ObjectNumber number, int item, int column = 0);
std::string gadget_get_text(ObjectNumber number);
void gadget_set_text(ObjectNumber number, const std::string& text);

// Moves and/or sizes a gadget; GADGET_IGNORE keeps a coordinate. A width or
// height that is not positive after the replacement leaves the size alone.
void gadget_resize(ObjectNumber number, int x, int y, int width, int height);

// state != 0 hides the gadget, 0 shows it. Does not dispatch GTK work.
void gadget_hide(ObjectNumber number, int state);

// Sets a gadget's font through its type's set_font handler. With number -1 the
// font becomes the default font given to every gadget created afterwards.
// A font of nullptr or of the value -1 means "no font". The caller keeps
// ownership of the font description; the layer never frees it.
void gadget_set_font(ObjectNumber number, PangoFontDescription* font);

// ---------------------------------------------------------------------------
// For gadget implementations: the creator contract.
//
// A creator (number or -1, x, y, width, height, own arguments):
//   1. builds its GadgetType on first use;
//   2. creates its widgets; if the main widget cannot be made, returns 0;
//   3. record = gadget_record_new(number): for an explicit number this first
//      destroys any gadget that holds it (through gadget_free); for -1 the
//      new number is gadget_record_number(number, record). gadget_record_start
//      does steps 2 and 3 and the clean-up of a failure in one call;
//   4. gadget_place(placed widget, x, y, width, height);
//   5. fills widget, outer, type and its own words, connects its signals and
//      calls gadget_register(record, number) with the number from step 3;
//   6. returns gadget_creator_result(number given, number from step 3).

// The record for a new gadget under the number (-1 for a new dynamic number),
// zero-filled; nullptr if it cannot be allocated or the layer is not set up.
GadgetRecord* gadget_record_new(ObjectNumber number);

// The gadget number of a record returned by gadget_record_new: the requested
// static number, or the dynamic number chosen for -1.
ObjectNumber gadget_record_number(ObjectNumber requested, const GadgetRecord* record);

// The current gadget container (a window's GtkFixed), or nullptr when no
// window has been made current yet. A creator checks it before allocating its
// record, so that a creation without a window leaves the table unchanged.
GtkWidget* gadget_container();

// Puts the placed widget into the current gadget container at (x, y) and
// requests width x height for it. Returns false if there is no container.
bool gadget_place(GtkWidget* placed, int x, int y, int width, int height);

// Steps 2 and 3 in one: given the widgets made so far (the main widget, or
// the outer widget that already holds it; may be nullptr), returns the record
// for the number and stores the gadget number in *gadget_out. Fails (nullptr)
// when the widget is missing, no container is current or memory runs out; the
// widget is then discarded and the gadget table is left unchanged.
GadgetRecord* gadget_record_start(ObjectNumber number, GtkWidget* widget, ObjectNumber* gadget_out);

// Drops a widget that a failed creator made but never placed (sinks GTK's
// floating reference and destroys it).
void gadget_discard_widget(GtkWidget* widget);

// The common last step of every creator: realises the main widget, applies the
// default font, connects "destroy" to gadget_destroyed, stores "tq_id"
// (number + 1) on the main widget and flushes GTK work.
void gadget_register(GadgetRecord* record, ObjectNumber number);

// What a creator returns: the gadget number when -1 was requested, else the
// main widget handle as an integer.
ObjectNumber gadget_creator_result(ObjectNumber requested, ObjectNumber number);

// The record of a gadget, or nullptr.
GadgetRecord* gadget_find(ObjectNumber number);

// Outer widget if there is one, else the main widget: placing, moving,
// sizing, hiding and destroying act on it.
GtkWidget* gadget_placed_widget(const GadgetRecord* record);

// The free function of the gadget table: destroys the gadget's placed widget,
// which ends the gadget through gadget_destroyed.
void gadget_free(ObjectNumber number);

// "destroy" handler of every main widget: runs the type's free hook and
// frees the record, so the number finds nothing afterwards.
void gadget_destroyed(GtkWidget* widget, void* number);

// Number of the window that contains the widget ("tq_id" of its toplevel);
// -1 when the widget is in no window.
ObjectNumber widget_window_number(GtkWidget* widget);

// Gadget number of a main widget from its "tq_id"; -1 for a widget that is
// no gadget.
ObjectNumber widget_gadget_number(GtkWidget* widget);

// The generic move and size of gadget_resize on a placed widget, for types
// whose own resize handler ends in the generic behaviour (the splitter).
void gadget_resize_widget(GtkWidget* placed, int x, int y, int width, int height);

// Drag-start detection: posts one GADGET_EVENT_DRAG_START for the gadget when
// button 1 is pressed on the widget and the pointer moves beyond GTK's drag
// threshold. Presses on a tree view's column headers and other buttons are
// ignored. GTK's own handling of the events goes on.
void gadget_watch_drag(ObjectNumber number, GtkWidget* widget);

// ---------------------------------------------------------------------------
// Shared handlers that types put into their GadgetType.

// set_font handler acting on the main widget.
void gadget_shared_set_font(GadgetRecord* record, PangoFontDescription* font);
// get_font handler acting on the main widget.
PangoFontDescription* gadget_shared_get_font(GadgetRecord* record);
// The same on any widget (the button applies its font to its label):
// stores the font under "tq_gadget_font" and applies it.
void gadget_widget_set_font(GtkWidget* widget, PangoFontDescription* font);
// The stored "tq_gadget_font", else the font of the widget's style, else nullptr.
PangoFontDescription* gadget_widget_get_font(GtkWidget* widget);
// The default font set by gadget_set_font(-1, font), or nullptr.
PangoFontDescription* gadget_default_font();

// set_colour / get_colour handlers. which: GADGET_COLOUR_TEXT or
// GADGET_COLOUR_BACKGROUND; colour 0xBBGGRR, or -1 for the style's default.
void gadget_shared_set_colour(GadgetRecord* record, int which, int colour);
int gadget_shared_get_colour(GadgetRecord* record, int which);

#endif  // OSTRELM_TOOLKIT_GADGET_H_
