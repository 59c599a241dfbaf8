// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_BENCH_BROWSER_GADGETS_H_
#define OSTRELM_BENCH_BROWSER_GADGETS_H_

// The explorer gadgets as the benchmark drives them, in a window of their own.

#include <cstddef>
#include <functional>
#include <string>

// One timed operation: prepare runs before the clock starts; run is timed and
// returns the number of rows it produced; settle, timed as well, lets GTK
// finish what run left to do.
struct BenchSubject {
  std::function<void()> prepare;
  std::function<std::size_t()> run;
  std::function<void()> settle;
};

// Starts the toolkit and opens the window the gadgets are placed in.
void browser_gadgets_init(int argc, char** argv);

// Setting the explorer list's text to text (a directory and patterns), until
// the list is drawn.
BenchSubject browser_gadgets_list_fill(const std::string& text, unsigned flags);

// Expanding the explorer tree node of directory (its parent already read, the
// node itself not), until the tree is drawn. Each round uses a new tree.
BenchSubject browser_gadgets_tree_expand(const std::string& directory, unsigned flags);

#endif  // OSTRELM_BENCH_BROWSER_GADGETS_H_
