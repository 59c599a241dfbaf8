// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/event_loop.h"

#include <string>

#include "convert/batch_conversion.h"
#include "gadgets/button.h"
#include "gadgets/explorer_list.h"
#include "gadgets/explorer_tree.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/window.h"
#include "toolkit/window_busy.h"

namespace {

// The batch runs inside the handling of one press, so the window is kept
// drawing and answering by pumps between its files and between the blocks of
// a long tape; what the user does meanwhile is queued. The button takes no
// press while it runs, and a press queued before it ended (the second click
// of a double click) is dropped: one press, one batch, and the log keeps that
// batch's every line. A close request ends the batch after the file at hand;
// the loop then ends on it.
void event_loop_convert(const MainWindow& main) {
  window_busy_set(main.window, true);
  button_set_enabled(main.convert_button, false);
  convert_selected_files(
      main.file_list, main.log_editor,
      [] {
        events_pump_if_due();
        return !events_close_requested();
      },
      events_pump_if_due);
  button_set_enabled(main.convert_button, true);
  window_busy_set(main.window, false);
  event_queue_remove_gadget(main.convert_button);
}

void event_loop_gadget(const MainWindow& main) {
  const ObjectNumber gadget = last_event_gadget();
  // An event can outlive its gadget in the queue; a number that names no
  // gadget any more must not reach the handlers below.
  if (!gadget_find(gadget)) return;
  if (gadget == main.dir_tree) {
    // The tree's path in the file system's bytes, so that a directory whose
    // name the program strings cannot hold is still the one the list reads;
    // the list keeps its pattern.
    // A tree with no selection has no path; the list stays where it is
    // rather than jumping to the root.
    const std::string directory = explorer_tree_selected_path(main.dir_tree);
    if (!directory.empty()) explorer_list_set_path(main.file_list, directory);
  } else if (gadget == main.convert_button) {
    event_loop_convert(main);
  }
}

}  // namespace

bool event_loop_handle(const MainWindow& main, int kind) {
  switch (kind) {
    case EVENT_GADGET:
      event_loop_gadget(main);
      return true;
    case EVENT_SIZE:
      main_window_fit(main, window_width(main.window), window_height(main.window));
      return true;
    case EVENT_CLOSE:
      return false;
    default:
      return true;
  }
}

void event_loop_run(const MainWindow& main) {
  while (event_loop_handle(main, wait_event(-1))) {
  }
}
