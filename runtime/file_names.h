// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_RUNTIME_FILE_NAMES_H_
#define OSTRELM_RUNTIME_FILE_NAMES_H_

// Questions about named files that need no open file.

#include <cstdint>
#include <string>

// The size in bytes of the named file (links followed); -1 when it cannot be
// examined (missing, no permission), -2 for a directory.
std::int64_t file_size(const std::string& path);

// The process's working directory ending in "/" ("/" for the root); empty
// when it cannot be determined.
std::string current_directory();

// The text after the last "." of the path's last component, up to the first
// double quote in it; empty when the last component has no ".".
std::string path_extension(const std::string& path);

#endif  // OSTRELM_RUNTIME_FILE_NAMES_H_
