// SPDX-License-Identifier: GPL-3.0-or-later
// convert_selected_files over a real explorer list and log in a window.
#include "convert/batch_conversion.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gadgets/editor.h"
#include "gadgets/explorer_flag.h"
#include "gadgets/explorer_list.h"
#include "tests/support/gadget_window_fixture.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

using BatchConversion = GadgetWindowTest;
using Names = std::vector<std::string>;

// A list of every file, directories too (so that the type bits of a row are
// seen not to matter), sorted, all rows selected but f.tzx. The tapes hold two
// data blocks; d.tzx then a block TAP cannot hold (a pure tone), and its TAP
// file the records before it. Names outside Latin-1 and not UTF-8 convert
// beside the right input, and the log shows each name as the list does: one
// that is not UTF-8 in its readable display form (the byte that cannot be
// shown replaced). Asked before every row, the
// caller's first "no" (at the last row, \xFF.tzx) leaves that row and all
// after it alone; the window is kept alive before every block of a tape; the
// log, lower than its lines, keeps its newest line in view.
TEST_F(BatchConversion, SelectedTapesConvertInRowOrderEachNameAfterItsMessages) {
  ScratchDirectory dir;
  const std::string data = pattern_bytes(300, 7), blocks = standard_block(data) + standard_block(data);
  const std::string japanese = "0\xE3\x83\x86\xE3\x83\xBC\xE3\x83\x97";  // 0テープ in UTF-8
  for (const std::string& name : Names{"a.tzx", "b.TZX", "c.txt", "noextension", "e.tzx", "f.tzx", "caf\xC3\xA9.tzx",
                                       "caf\xE9.tzx", japanese + ".tzx", "\xFF.tzx"})
    write_file(dir.file(name), tzx(blocks));
  write_file(dir.file("d.tzx"), tzx(blocks + std::string("\x12\x78\x08\x97\x0c", 5)));
  write_file(dir.file("e.tap"), "kept");  // a TAP file that holds data
  dir.make({"g.tzx/"});                   // a directory is handed over like a file
  const ObjectNumber log = editor_create(-1, 0, 500, 900, 100, EDITOR_READ_ONLY);
  gadget_add_item(log, -1, "the last batch's line");
  const ObjectNumber list = explorer_list_create(-1, 0, 0, 900, 480, dir.path() + "*", EXPLORER_SORT_BY_NAME |
                                                 EXPLORER_HIDE_PARENT | EXPLORER_KEEP_DIRECTORY |
                                                 EXPLORER_MULTI_SELECT);
  GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(gadget_find(list)->widget));
  GtkTreePath* f = gtk_tree_path_new_from_indices(10, -1);  // after g.tzx/, 0テープ.tzx ... e.tzx
  gtk_tree_selection_select_all(selection);
  gtk_tree_selection_unselect_path(selection, f);
  gtk_tree_path_free(f);
  int asked = 0, kept_alive = 0;

  convert_selected_files(list, log, [&] { return ++asked <= 12; }, [&] { ++kept_alive; });

  GadgetRecord* record = gadget_find(log);
  std::string lines;  // as the log shows them
  for (int i = 0; i < gadget_count_items(log); ++i) lines += record->type->get_item_text(record, i, 0) + "\n";
  EXPECT_EQ(lines, dir.file("g.tap") + ": cannot open the TZX file\ng.tzx\n" + japanese + ".tzx\na.tzx\nb.TZX\n"
                   "caf\xC3\xA9.tzx\ncaf\xEF\xBF\xBD.tzx\n" + dir.file("d.tap") + ": Unsupported block found ($12)\n"
                   "d.tzx\ne.tzx\n");
  for (const std::string& name : Names{"a", "b", "caf\xC3\xA9", "caf\xE9", "d", japanese})
    EXPECT_EQ(read_file(dir.file(name + ".tap")), tap_record(data) + tap_record(data)) << name;
  EXPECT_EQ(read_file(dir.file("e.tap")), "kept");
  for (const char* name : {"c.tap", "f.tap", "noextension.tap", "\xFF.tap"}) EXPECT_FALSE(path_exists(dir.file(name)));
  EXPECT_EQ(kept_alive, 6 * 2 + 1);
  // The list is shown again and still lists what it listed.
  EXPECT_TRUE(gtk_widget_get_visible(gadget_find(list)->outer));
  events_flush();
  GtkAdjustment* shown = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(gadget_find(log)->outer));
  EXPECT_GT(gtk_adjustment_get_value(shown), 0);
  EXPECT_EQ(gtk_adjustment_get_value(shown), gtk_adjustment_get_upper(shown) - gtk_adjustment_get_page_size(shown));
}

}  // namespace
