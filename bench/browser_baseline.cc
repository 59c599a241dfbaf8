// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/browser_baseline.h"

#include <vector>

namespace {

struct BaselineRow {
  std::string name;
  struct stat status;
  bool has_children;
};

bool baseline_has_entry(const std::string& directory, const PatternList& patterns,
                        unsigned flags) {
  DirectoryStream dir = directory_open(directory);
  return dir && directory_next_entry(dir.get(), directory, patterns, flags, nullptr, nullptr);
}

}  // namespace

std::size_t browser_baseline_list(const std::string& directory, const PatternList& patterns,
                                  unsigned flags) {
  std::vector<BaselineRow> rows;
  DirectoryStream dir = directory_open(directory);
  struct stat status;
  while (const struct dirent* entry =
             directory_next_entry(dir.get(), directory, patterns, flags, &status, nullptr))
    rows.push_back({entry->d_name, status, false});
  return rows.size();
}

std::size_t browser_baseline_tree(const std::string& directory, const PatternList& patterns,
                                  unsigned flags) {
  std::vector<BaselineRow> rows;
  DirectoryStream dir = directory_open(directory);
  struct stat status;
  std::string full_path;
  while (const struct dirent* entry =
             directory_next_entry(dir.get(), directory, patterns, flags, &status, &full_path)) {
    bool has_children = S_ISDIR(status.st_mode) && baseline_has_entry(full_path, patterns, flags);
    rows.push_back({entry->d_name, status, has_children});
  }
  return rows.size();
}
