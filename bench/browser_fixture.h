// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_BENCH_BROWSER_FIXTURE_H_
#define OSTRELM_BENCH_BROWSER_FIXTURE_H_

// The directories the file-browser benchmark reads, made fresh under /tmp.

#include <string>

struct BrowserFixture {
  std::string root;       // everything below is removed with the fixture
  std::string list_dir;   // LIST_FILES files, half of them *.tzx
  std::string tree_dir;   // TREE_DIRECTORIES subdirectories
};

constexpr int LIST_FILES = 20000;
constexpr int TREE_DIRECTORIES = 5000;

// Directory paths end with "/", as the explorer gadgets want them. Every
// second subdirectory of tree_dir holds a directory (so it gets an expander),
// the others only a file.
BrowserFixture browser_fixture_create();
void browser_fixture_remove(const BrowserFixture& fixture);

#endif  // OSTRELM_BENCH_BROWSER_FIXTURE_H_
