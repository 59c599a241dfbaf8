// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

#include "convert/conversion_buffer.h"
#include "runtime/file.h"
#include "runtime/file_names.h"
#include "runtime/process_signals.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

std::string program_title() {
  return std::string(PROGRAM_TITLE_PREFIX) + "Ostrelm v. " + PROGRAM_VERSION_TEXT + PROGRAM_CREDIT_TEXT;
}

MainWindow program_start(int argc, char** argv) {
  // A write past the file-size limit or into a closed pipe must become a log
  // line, not the end of the window.
  process_ignore_write_signals();
  toolkit_save_arguments(argc, argv);
  file_layer_init();
  toolkit_init();
  event_queue_init();
  window_layer_init();
  window_set_default_icon(PROGRAM_ICON_NAME);
  gadget_layer_init();
  const std::string start_directory = current_directory();
  conversion_buffer();  // allocated once, before the first conversion needs it
  return main_window_open(program_title(), start_directory);
}

void program_shut_down() {
  window_close_all();
  file_close_all();
}
