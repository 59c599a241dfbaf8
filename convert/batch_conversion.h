// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_BATCH_CONVERSION_H_
#define OSTRELM_CONVERT_BATCH_CONVERSION_H_

#include <functional>

#include "convert/tzx_to_tap.h"
#include "registry/object_number.h"

// Asked before every row; false ends the batch there, after the file at hand.
using BatchGoOn = std::function<bool()>;

// What "Convert > TAP" does: empties the log, then converts every selected
// row of the file list whose extension is "tzx" in any letter case, in row
// order. After each such file the log gets the file's messages and then its
// name, whatever the outcome. The list is hidden while the batch runs.
//
// Paths and names are taken in the file system's own bytes, so a file whose
// name the 8-bit program strings cannot hold is converted like any other and
// logged as the list shows it.
//
// go_on, when given, is how the caller keeps its window alive and learns of a
// request to stop: the rows from the first false on are left alone.
// keep_alive is called before each block of a tape as well, so that one long
// tape does not freeze the window; the file at hand is always finished.
void convert_selected_files(ObjectNumber file_list, ObjectNumber log_editor, const BatchGoOn& go_on = {},
                            const ConversionKeepAlive& keep_alive = {});

#endif  // OSTRELM_CONVERT_BATCH_CONVERSION_H_
