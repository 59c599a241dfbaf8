// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_RUNTIME_STAGED_FILE_HIDDEN_H_
#define OSTRELM_RUNTIME_STAGED_FILE_HIDDEN_H_

// The hidden names of staged files and their clean-up. Internal to the
// staged files.

#include <string>

// A new name of the hidden pattern; unique with high likelihood (the creator
// still creates exclusively).
std::string staged_file_new_hidden_name();

// Whether the name is of the hidden pattern; nothing else is ever removed.
bool staged_file_is_hidden_name(const char* name);

// Removes the hidden files in the directory that no process holds a lock on:
// those of writers that died. Once per directory and process (the first
// staged file there), so a folder of thousands of tapes is listed once.
void staged_file_sweep(int directory);

// Makes a hidden file in the directory, locked, and names it in `name`.
// Holds the directory's shared lock meanwhile: the sweep takes it exclusively,
// so it never meets a file between its creation and its lock, when it would
// look like one whose writer died. -1 on failure.
int staged_file_create_hidden(int directory, std::string& name);

// Takes the directory's lock for a moment of work (see above). Never waits
// for long: past about a second it goes on without the lock, since a process
// that keeps a directory locked must not stop the conversion.
int staged_file_lock_directory(int directory, int operation);
void staged_file_unlock_directory(int lock);

#endif  // OSTRELM_RUNTIME_STAGED_FILE_HIDDEN_H_
