// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_BATCH_CONVERSION_H_
#define OSTRELM_CONVERT_BATCH_CONVERSION_H_

#include "registry/object_number.h"

// What "Convert > TAP" does: empties the log, then converts every selected
// row of the file list whose extension is "tzx" in any letter case, in row
// order. After each such file the log gets the file's messages and then its
// name, whatever the outcome. The list is hidden while the batch runs.
//
// Paths and names are taken in the file system's own bytes, so a file whose
// name the 8-bit program strings cannot hold is converted like any other and
// logged as the list shows it.
void convert_selected_files(ObjectNumber file_list, ObjectNumber log_editor);

#endif  // OSTRELM_CONVERT_BATCH_CONVERSION_H_
