// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_APP_MAIN_WINDOW_H_
#define OSTRELM_APP_MAIN_WINDOW_H_

#include <string>

#include "registry/object_number.h"

// The numbers of the program's one window and its six gadgets, set once at
// start-up and kept until the process ends.
struct MainWindow {
  ObjectNumber window = 0;
  ObjectNumber dir_tree = 0;          // directories to choose from
  ObjectNumber file_list = 0;         // the *.tzx files of the chosen directory
  ObjectNumber log_editor = 0;        // the log of the last batch
  ObjectNumber browser_splitter = 0;  // tree left, list right
  ObjectNumber main_splitter = 0;     // browser above, log below
  ObjectNumber convert_button = 0;    // "Convert > TAP"
};

// Window flags: resizable, window menu and minimise, centred; no maximise.
constexpr unsigned MAIN_WINDOW_FLAGS = 0x66;
constexpr int MAIN_WINDOW_WIDTH = 1021;
constexpr int MAIN_WINDOW_HEIGHT = 700;

// Opens the window with this title and fills it: the tree and the list start
// in start_directory (ending in "/"), the file system's bytes as they are.
MainWindow main_window_open(const std::string& title, const std::string& start_directory);

// Keeps the layout fitted to the window's client area of width x height: the
// button stays at the right edge, the splitter takes the rest less one pixel.
void main_window_fit(const MainWindow& main, int width, int height);

#endif  // OSTRELM_APP_MAIN_WINDOW_H_
