// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_EXPLORER_LIST_H_
#define OSTRELM_GADGETS_EXPLORER_LIST_H_

// The explorer list: the entries of one directory as rows of a multi-column
// list, an optional ".." row first, then the subdirectories, then the files
// that match a pattern list.
//
// The gadget's text is a directory ending with "/", optionally followed by a
// ";"-separated pattern list ("/home/user/*.tzx"); a text without "/" only
// replaces the patterns. Setting the text reads the directory again; getting
// it returns the directory alone. The application reads the rows back with
// gadget_count_items, gadget_get_item_state (ITEM_STATE_* of
// gadgets/explorer_flag.h) and gadget_get_item_text (column 0: the name).
//
// Those generic operations carry program strings, which cannot hold every file
// name: a name that is not valid UTF-8 is shown in a readable display form,
// and a name with characters beyond Latin-1 (テープ.tzx) comes back cut short.
// Code that must open the files uses the exact on-disk bytes below instead.

#include <cstdint>
#include <string>

#include "registry/object_number.h"

// Creates an explorer list at (x, y), width x height, in the current gadget
// container, reading the directory that `text` (a program string) names.
// `flags` are the EXPLORER_* values. Returns the new gadget number when
// `number` is -1, else the tree view handle; 0 on failure.
ObjectNumber explorer_list_create(ObjectNumber number, int x, int y, int width, int height,
                                  const std::string& text, std::uint32_t flags);
ObjectNumber explorer_list_create(ObjectNumber number, int x, int y, int width, int height,
                                  const std::string& text);

// The list's directory exactly as it was opened, ending with "/"; "" when
// the number names no explorer list or no directory was read yet.
std::string explorer_list_directory_path(ObjectNumber list);

// The exact on-disk name of row `row` (".." for the parent row); "" when
// there is no such row.
std::string explorer_list_item_name(ObjectNumber list, int row);

// gadget_set_text with a text in the file system's bytes instead of a program
// string: a directory ending with "/" (optionally followed by patterns) whose
// name holds characters beyond Latin-1, or bytes that are not UTF-8, is read
// as it is. Nothing happens when the number names no explorer list.
void explorer_list_set_path(ObjectNumber list, const std::string& text);

// The directory followed by the row's on-disk name: a path that opens the
// file whatever characters its name holds; "" when there is no such row.
std::string explorer_list_item_path(ObjectNumber list, int row);

#endif  // OSTRELM_GADGETS_EXPLORER_LIST_H_
