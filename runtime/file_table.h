// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_RUNTIME_FILE_TABLE_H_
#define OSTRELM_RUNTIME_FILE_TABLE_H_

// The table of open files, keyed by file number. Internal to the file layer.

#include <cstdio>

#include "runtime/file_record.h"
#include "registry/object_number.h"

// The record of the open file with that number, or none. Records of static
// numbers move when the table grows: never keep one across an open.
FileRecord* file_find(ObjectNumber number);

// Enters an opened stream under the number (closing a file that had it) and
// gives it its buffer. Returns what the openers return: the number for -1,
// the stream handle for an explicit number, 0 on failure (the stream is then
// closed).
ObjectNumber file_register(ObjectNumber number, std::FILE* stream);

#endif  // OSTRELM_RUNTIME_FILE_TABLE_H_
