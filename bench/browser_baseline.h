// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_BENCH_BROWSER_BASELINE_H_
#define OSTRELM_BENCH_BROWSER_BASELINE_H_

// What the explorer gadgets do to a directory without GTK: the same readdir,
// stat and fnmatch calls through the same scan, with the results kept in plain
// vectors. The benchmark compares the gadgets against these.

#include <cstddef>
#include <string>

#include "gadgets/directory_scan.h"

// Reads the directory as the explorer list fills itself; returns the number
// of entries kept.
std::size_t browser_baseline_list(const std::string& directory, const PatternList& patterns,
                                  unsigned flags);

// Reads the directory as the explorer tree expands a node: every entry, and
// for each subdirectory whether it has at least one entry to show (the
// expander test). Returns the number of entries kept.
std::size_t browser_baseline_tree(const std::string& directory, const PatternList& patterns,
                                  unsigned flags);

#endif  // OSTRELM_BENCH_BROWSER_BASELINE_H_
