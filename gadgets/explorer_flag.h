// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_EXPLORER_FLAG_H_
#define OSTRELM_GADGETS_EXPLORER_FLAG_H_

// Creation flags and item state bits of both explorer gadgets. Apart from
// gadgets/explorer_common.h so that the directory scan, which obeys some of
// the flags, and the application, which reads the item states, can name them
// without bringing in GTK.

#include <cstdint>

// Kept whole on the tree view under EXPLORER_KEY_FLAGS. Bits not named here
// are stored and ignored.
enum ExplorerFlag : std::uint32_t {
  EXPLORER_HIDE_HOME = 1,            // tree: no home node
  EXPLORER_HIDE_FILES = 2,           // files are not listed
  EXPLORER_INERT = 4,                // accepted by the attribute operations; changes nothing
  EXPLORER_SORT_BY_NAME = 8,         // sorted by name after each fill
  EXPLORER_HIDE_PARENT = 64,         // list: no ".." row
  EXPLORER_HIDE_DIRECTORIES = 128,   // list: subdirectories are not listed
  EXPLORER_KEEP_DIRECTORY = 256,     // list: activating a directory does not enter it
  EXPLORER_FIXED_HEADERS = 512,      // list: headers not clickable, no sort indicator
  EXPLORER_MULTI_SELECT = 1024,      // list: GTK_SELECTION_MULTIPLE
  EXPLORER_SHOW_HIDDEN = 0x40000,    // names beginning with "." are listed
};

// Result bits of the item state operation.
enum ItemState : std::uint32_t {
  ITEM_STATE_FILE = 1,
  ITEM_STATE_DIRECTORY = 2,
  ITEM_STATE_SELECTED = 4,
};

#endif  // OSTRELM_GADGETS_EXPLORER_FLAG_H_
