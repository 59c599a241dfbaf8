// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_EXPLORER_COMMON_H_
#define OSTRELM_GADGETS_EXPLORER_COMMON_H_

// What the explorer list and the explorer tree share: their flags (named in
// gadgets/explorer_flag.h), the kinds of rows, the item state bits, the stock
// icons, the comparison pieces their sort functions are built from, the click
// state machine, and the handling of file names that are not valid UTF-8.

#include <gtk/gtk.h>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "gadgets/explorer_flag.h"
#include "registry/object_number.h"

// Model column 0 of both gadgets. The list calls kind 0 the parent entry "..",
// the tree calls it the placeholder child of a directory not read yet.
enum EntryKind : int {
  ENTRY_PARENT = 0,
  ENTRY_PLACEHOLDER = 0,
  ENTRY_DIRECTORY = 1,
  ENTRY_FILE = 2,
  ENTRY_HOME = 3,
};

// Model columns the two stores have in common.
enum ExplorerColumn : int {
  EXPLORER_COLUMN_KIND = 0,  // G_TYPE_INT, an EntryKind
  EXPLORER_COLUMN_ICON = 1,  // G_TYPE_STRING, a stock id
  EXPLORER_COLUMN_NAME = 2,  // G_TYPE_STRING, the name as shown (valid UTF-8)
};

// Object data keys on the tree view of an explorer gadget.
inline constexpr const char* EXPLORER_KEY_FLAGS = "tq_gadget_flags";
inline constexpr const char* EXPLORER_KEY_DIRECTORY = "tq_directory";
inline constexpr const char* EXPLORER_KEY_PATTERN = "tq_pattern";
inline constexpr const char* EXPLORER_KEY_CLICK_STATE = "tq_gadget_eventtype";

std::uint32_t explorer_flags(GtkWidget* view);
void explorer_set_flags(GtkWidget* view, std::uint32_t flags);
// Sets (on) or clears the bits of `flag` in the view's flags.
void explorer_set_flag(GtkWidget* view, std::uint32_t flag, bool on);

// --- Icons ---------------------------------------------------------------

// Stock ids, chosen once per process at the first call (GTK must be
// initialised): themes without "gtk-file" or "gtk-directory" get the older
// "gtk-new" and "gtk-open".
struct ExplorerIcons {
  const char* file;
  const char* directory;
  const char* parent;  // always "gtk-go-up"
  const char* home;    // always "gtk-home"
};
const ExplorerIcons& explorer_icons();

// A scrolled window around the tree view of either gadget: scroll bars as
// needed and an etched frame.
GtkWidget* explorer_scroller_new(GtkWidget* view);

// --- Sorting -------------------------------------------------------------

// The EntryKind of a row (column 0).
int explorer_row_kind(GtkTreeModel* model, GtkTreeIter* row);

// kind(a) - kind(b): directories before files in ascending order.
int explorer_compare_kinds(GtkTreeModel* model, GtkTreeIter* a, GtkTreeIter* b);

// strcmp of the two strings of a column, byte order; a missing string counts
// as "" so that rows without a value compare equal instead of crashing.
int explorer_compare_texts(GtkTreeModel* model, GtkTreeIter* a, GtkTreeIter* b,
                           int column);

// --- Clicks --------------------------------------------------------------

// The click state kept under EXPLORER_KEY_CLICK_STATE between a button press
// and its release.
enum ExplorerClickState : int {
  CLICK_NONE = 0,
  CLICK_LEFT = 1,
  CLICK_OTHER = 2,
  CLICK_LEFT_DOUBLE = 3,
  CLICK_OTHER_DOUBLE = 4,
};

int explorer_click_state(GtkWidget* view);
void explorer_set_click_state(GtkWidget* view, int state);

// A release of `button` on the view of gadget `number`: ends the click that
// began with the recorded state, resetting it to CLICK_NONE, and posts the
// click's gadget events in order. A release after a double press posts the
// single click of that second press as well as the double click, so a left
// double click posts GADGET_EVENT_LEFT_CLICK twice (once per click) and then
// GADGET_EVENT_LEFT_DOUBLE_CLICK. A release of another button than the one
// pressed posts nothing.
void explorer_click_release(GtkWidget* view, ObjectNumber number, unsigned button);

// "changed" of the selection of either gadget: posts GADGET_EVENT_CHANGE for
// the gadget whose main widget is `view` (connected with the tree view as
// user data).
void selection_changed_post(GtkTreeSelection* selection, gpointer view);

// --- Names that are not valid UTF-8 --------------------------------------
//
// File names on Linux are bytes. A GTK model must hold valid UTF-8, so the
// name column holds the display form of a name (GLib's display-name
// conversion, which honours G_FILENAME_ENCODING and otherwise replaces the
// bytes it cannot read). The exact bytes are kept beside the model for the
// rows whose display form differs, so that entering a directory or handing a
// file to the converter uses the name that is really on disk.

// The display form of an on-disk name: valid UTF-8, equal to the name itself
// whenever the name is valid UTF-8 and no other file name encoding is set.
std::string explorer_display_name(const char* disk_name);

// A directory entry's name as its row shows it and, when that differs, as it
// is on disk.
struct ExplorerName {
  std::string shown;  // explorer_display_name of the name on disk
  std::string disk;   // "" when the same as shown
};
ExplorerName explorer_name(const char* disk_name);

// On-disk names of the rows whose display form differs from them, keyed by the
// row's identity. Rows of GtkListStore and GtkTreeStore keep their iterator
// (GTK_TREE_MODEL_ITERS_PERSIST) for as long as they exist, also while the
// store sorts, so the iterator's pointer identifies a row.
class ExplorerDiskNames {
 public:
  // Records the row's name on disk if its shown form differs from it.
  void remember(const GtkTreeIter& row, const ExplorerName& name);
  // Records the name for the row unconditionally.
  void set(const GtkTreeIter& row, const std::string& disk_name);
  // The row's on-disk name: the recorded one, else the text of `column`.
  std::string name_of(GtkTreeModel* model, GtkTreeIter* row, int column) const;
  bool has(const GtkTreeIter& row) const;
  void forget(const GtkTreeIter& row);
  void clear() { names_.clear(); }

 private:
  std::unordered_map<const void*, std::string> names_;
};

#endif  // OSTRELM_GADGETS_EXPLORER_COMMON_H_
