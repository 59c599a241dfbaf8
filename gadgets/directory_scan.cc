// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/directory_scan.h"

#include <fnmatch.h>

#include <utility>

#include "gadgets/explorer_flag.h"

namespace {

bool name_is_dot_or_dot_dot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Cuts the text at every ";" into the list, dropping empty pieces.
void pattern_list_parse(const std::string& text, PatternList& patterns) {
  std::string::size_type start = 0;
  while (start <= text.size()) {
    std::string::size_type end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string piece = text.substr(start, end - start);
    // "*.*" means every file to users, including names without a dot.
    if (piece == "*.*") piece = "*";
    if (!piece.empty()) patterns.push_back(std::move(piece));
    start = end + 1;
  }
}

// Whether the entry with this status is one the flags and patterns let through.
bool entry_selected(const char* name, bool is_directory, const PatternList& patterns,
                    unsigned flags) {
  if (is_directory) return !(flags & EXPLORER_HIDE_DIRECTORIES);
  if (flags & EXPLORER_HIDE_FILES) return false;
  return pattern_list_matches(patterns, name);
}

// readdir already knows the type of most entries. One that is neither a
// directory nor a link (nor of unknown type) stays a non-directory after stat,
// so when the flags or patterns reject it as such, its stat can be saved.
bool entry_rejected_before_stat(const struct dirent& entry, const PatternList& patterns,
                                unsigned flags) {
  if (entry.d_type == DT_DIR || entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN)
    return false;
  return !entry_selected(entry.d_name, false, patterns, flags);
}

}  // namespace

void pattern_list_free(PatternList& patterns) { patterns.clear(); }

bool pattern_list_matches(const PatternList& patterns, const char* name) {
  if (patterns.empty()) return true;
  for (const std::string& pattern : patterns)
    if (fnmatch(pattern.c_str(), name, FNM_PATHNAME) == 0) return true;
  return false;
}

void split_directory_pattern(const std::string& text, std::string& directory,
                             PatternList& patterns) {
  if (text.empty() || text.back() == '/') {
    directory = text.empty() ? "/" : text;
    return;
  }
  std::string::size_type slash = text.rfind('/');
  std::string pattern_text = text;
  if (slash != std::string::npos) {
    directory = text.substr(0, slash + 1);
    pattern_text = text.substr(slash + 1);
  }
  pattern_list_free(patterns);
  pattern_list_parse(pattern_text, patterns);
}

const struct dirent* directory_next_entry(DIR* dir, const std::string& directory,
                                          const PatternList& patterns, unsigned flags,
                                          struct stat* status, std::string* full_path) {
  if (!dir) return nullptr;
  struct stat own_status;
  if (!status) status = &own_status;
  while (const struct dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    // Name tests first: hidden entries and the two dot links cost no stat.
    if (name[0] == '.' && !(flags & EXPLORER_SHOW_HIDDEN)) continue;
    if (name_is_dot_or_dot_dot(name)) continue;
    if (entry_rejected_before_stat(*entry, patterns, flags)) continue;
    // Relative to the open stream: no path to build for every entry, and the
    // kernel does not walk the directory's own path again each time.
    if (fstatat(dirfd(dir), name, status, 0) != 0) continue;
    if (!entry_selected(name, S_ISDIR(status->st_mode), patterns, flags)) continue;
    if (full_path) {
      *full_path = directory;
      if (full_path->empty() || full_path->back() != '/') *full_path += '/';
      *full_path += name;
      if (S_ISDIR(status->st_mode)) *full_path += '/';
    }
    return entry;
  }
  return nullptr;
}

DirectoryStream directory_open(const std::string& path) {
  return DirectoryStream(opendir(path.c_str()));
}
