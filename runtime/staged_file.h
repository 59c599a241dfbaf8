// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_RUNTIME_STAGED_FILE_H_
#define OSTRELM_RUNTIME_STAGED_FILE_H_

// Files that appear whole or not at all. A staged file is written in the
// directory of the path it is meant for, but out of sight: without a name
// where the file system can hold such a file (O_TMPFILE), else under a hidden
// name of its own (".ostrelm-", twelve letters or digits, ".part") that its
// writer holds a lock on. Only once it is complete does it get its real name,
// in one step that never replaces a file that appeared meanwhile. A process
// that dies at any moment leaves either nothing or a hidden file, which the
// next staged file opened in that directory removes.
//
// This covers a process that ends, not a power cut: that would take an fsync
// per file, which costs more than converting a small tape.

#include <string>

#include "registry/object_number.h"

struct StagedFile {
  ObjectNumber number = 0;  // the numbered file (file.h) the content goes into
  // The same open file once more: it outlives file_close, keeps the lock and
  // gives the file its name.
  int descriptor = -1;
  int directory = -1;
  std::string name;         // the name it is meant to get, in `directory`
  std::string hidden_name;  // empty while the file has no name
  // An empty regular file found at the path, opened: it is replaced.
  int existing = -1;
};

enum StagedFileOutcome {
  STAGED_FILE_DONE,
  STAGED_FILE_TAKEN,   // a file that holds data is at the path (or a new one came)
  STAGED_FILE_FAILED,  // errno says why
  // The empty file at the path belongs to another user in a folder with the
  // sticky bit: only its owner may replace it, and it stays.
  STAGED_FILE_REFUSED,
};

// Looks at `path` and, when nothing is there or an empty regular file that
// this process may write, opens a staged file for it. TAKEN for a regular file
// with data; FAILED for anything else at the path (a symbolic link, dangling
// or not, is never followed) and when no file can be created beside it.
// `unnamed` false asks for a hidden name even where none is needed.
StagedFileOutcome staged_file_open(StagedFile& staged, const std::string& path, bool unnamed = true);

// Gives the complete file its name, its numbered file closed first. Where
// nothing is, the file appears there; an empty file found there at the open
// is replaced only if it is still there and still empty when it goes. TAKEN
// when another file took the place meanwhile: it stays as it is. REFUSED
// for the empty file of another user in a shared sticky folder. On file
// systems that know neither a rename that refuses to replace nor hard links,
// the name is looked at right before a plain rename (staged_file_place.cc).
StagedFileOutcome staged_file_place(StagedFile& staged);

// Closes whatever is still open; a file that was not placed goes.
void staged_file_close(StagedFile& staged);

#endif  // OSTRELM_RUNTIME_STAGED_FILE_H_
