// SPDX-License-Identifier: GPL-3.0-or-later
// The window program: a file browser over the TZX tapes of a folder, a button
// that converts the selected ones to TAP files, and the log of what could not
// be carried over. It has no options of its own; GTK takes the arguments.
#include <cstdlib>

#include "app/event_loop.h"
#include "app/program.h"

int main(int argc, char** argv) {
  const MainWindow main_window = program_start(argc, argv);
  event_loop_run(main_window);
  program_shut_down();
  return EXIT_SUCCESS;
}
