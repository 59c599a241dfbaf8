// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "gadgets/button.h"
#include "gadgets/editor.h"
#include "gadgets/explorer_flag.h"
#include "gadgets/explorer_list.h"
#include "gadgets/explorer_tree.h"
#include "gadgets/splitter.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/window.h"

namespace {

// Directories only, sorted, with a home node beside the root. The bits 4 and
// 32 are kept as the layout has always passed them; they change nothing.
constexpr unsigned TREE_FLAGS = EXPLORER_HIDE_FILES | EXPLORER_SORT_BY_NAME | 4 | 32;
// The files of one directory only, sorted, several selectable; the list never
// enters a directory itself. The bits 4, 32, 2048 and 8192 change nothing.
constexpr unsigned LIST_FLAGS = EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_PARENT | EXPLORER_HIDE_DIRECTORIES |
                                EXPLORER_KEEP_DIRECTORY | EXPLORER_MULTI_SELECT | 4 | 32 | 2048 | 8192;
constexpr char LIST_PATTERN[] = "*.tzx";
constexpr unsigned BROWSER_SPLITTER_FLAGS = SPLITTER_SIDE_BY_SIDE | 2;
constexpr unsigned MAIN_SPLITTER_FLAGS = 2;  // one pane above the other

constexpr int BUTTON_WIDTH = 120;
constexpr int BUTTON_HEIGHT = 29;
constexpr char BUTTON_LABEL[] = "Convert > TAP";

}  // namespace

MainWindow main_window_open(const std::string& title, const std::string& start_directory) {
  MainWindow main;
  main.window = window_open(-1, 0, 0, MAIN_WINDOW_WIDTH, MAIN_WINDOW_HEIGHT, title.c_str(), MAIN_WINDOW_FLAGS);
  // A splitter moves two gadgets that already exist into its panes, so the
  // order matters: the tree and the list, the log, then the splitters that
  // take them; the button last, above the splitter's right edge.
  // The start directory is the file system's bytes, which the creators would
  // read as a program string (ISO-8859-15) and convert: a name beyond ASCII
  // would then lead elsewhere. So the gadgets get it in bytes; the list is
  // made with its pattern alone, which reads nothing.
  // The tree selects the start directory as it opens; that selection is the
  // program's, not the user's, and the list below is made on the same
  // directory, so its event would only read the directory a second time.
  events_suppress_begin();
  main.dir_tree = explorer_tree_create_at(-1, 0, 0, 200, 500, start_directory, TREE_FLAGS);
  events_suppress_end();
  main.file_list = explorer_list_create(-1, 200, 0, 720, 500, LIST_PATTERN, LIST_FLAGS);
  explorer_list_set_path(main.file_list, start_directory + LIST_PATTERN);
  main.log_editor = editor_create(-1, 0, 500, 920, 200, EDITOR_READ_ONLY);
  main.browser_splitter = splitter_create(-1, 0, 0, 920, 500, main.dir_tree, main.file_list, BROWSER_SPLITTER_FLAGS);
  main.main_splitter =
      splitter_create(-1, 0, 0, 920, MAIN_WINDOW_HEIGHT, main.browser_splitter, main.log_editor, MAIN_SPLITTER_FLAGS);
  main.convert_button = button_create(-1, 900, 0, BUTTON_WIDTH, BUTTON_HEIGHT, BUTTON_LABEL, 0);
  // Created as above, the splitter reaches 20 pixels under the button and the
  // list hides the start of its label until the first size event; a window
  // that opens at its requested size may never get one. Fitted now, the
  // button is whole from the start.
  main_window_fit(main, window_width(main.window), window_height(main.window));
  // The tree opened its path while it was not yet in its pane, so the start
  // directory may lie outside the rows it shows; selecting it again in place
  // scrolls it into view.
  events_suppress_begin();
  explorer_tree_set_path(main.dir_tree, start_directory);
  events_suppress_end();
  return main;
}

void main_window_fit(const MainWindow& main, int width, int height) {
  gadget_resize(main.main_splitter, GADGET_IGNORE, GADGET_IGNORE, width - BUTTON_WIDTH - 1, height);
  gadget_resize(main.convert_button, width - BUTTON_WIDTH, GADGET_IGNORE, GADGET_IGNORE, GADGET_IGNORE);
}
