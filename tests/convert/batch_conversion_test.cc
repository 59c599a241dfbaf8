// SPDX-License-Identifier: GPL-3.0-or-later
// convert_selected_files over a real explorer list and log in a window.
#include "convert/batch_conversion.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <set>
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

using Lines = std::vector<std::string>;

const std::string DATA = pattern_bytes(300, 7);
const std::string TAPE = tzx(standard_block(DATA));
const std::string TAP = tap_record(DATA);

class BatchConversion : public GadgetWindowTest {
 protected:
  void SetUp() override {
    GadgetWindowTest::SetUp();
    log_ = editor_create(-1, 0, 500, 900, 200, EDITOR_READ_ONLY);
    gadget_add_item(log_, -1, "the last batch's line");
  }
  // A list of every file (directories too, so that the type bits of a row are
  // seen not to matter), sorted, with all rows but the named ones selected.
  ObjectNumber list_selecting_all_but(const std::set<std::string>& names) {
    const ObjectNumber list = explorer_list_create(-1, 0, 0, 900, 480, dir_.path() + "*", EXPLORER_SORT_BY_NAME |
                                                   EXPLORER_HIDE_PARENT | EXPLORER_KEEP_DIRECTORY | EXPLORER_MULTI_SELECT);
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(gadget_find(list)->widget));
    for (int row = 0; row < gadget_count_items(list); ++row) {
      GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
      if (!names.count(explorer_list_item_name(list, row))) gtk_tree_selection_select_path(selection, path);
      gtk_tree_path_free(path);
    }
    return list;
  }
  Lines log_lines() const {
    Lines lines;
    GadgetRecord* record = gadget_find(log_);
    for (int i = 0; i < gadget_count_items(log_); ++i) lines.push_back(record->type->get_item_text(record, i, 0));
    return lines;
  }

  ScratchDirectory dir_;
  ObjectNumber log_ = 0;
};

// Names outside Latin-1 and not UTF-8 convert beside the right input, and
// the log shows each name as the list does: one that is not UTF-8 in its
// readable display form (the byte that cannot be shown replaced).
TEST_F(BatchConversion, SelectedTapesConvertInRowOrderEachNameAfterItsMessages) {
  const std::string japanese = "\xE3\x83\x86\xE3\x83\xBC\xE3\x83\x97";  // テープ in UTF-8
  for (const std::string& name : Lines{"a.tzx", "b.TZX", "c.txt", "noextension", "e.tzx", "f.tzx", "caf\xC3\xA9.tzx",
                                  "caf\xE9.tzx", japanese + ".tzx"})
    write_file(dir_.file(name), TAPE);
  // A block TAP cannot hold (a pure tone) after one data block.
  write_file(dir_.file("d.tzx"), tzx(standard_block(DATA) + std::string("\x12\x78\x08\x97\x0c", 5)));
  write_file(dir_.file("e.tap"), "kept");  // a TAP file that holds data
  dir_.make({"g.tzx/"});                   // a directory is handed over like a file
  const ObjectNumber list = list_selecting_all_but({"f.tzx"});

  convert_selected_files(list, log_);

  // Sorted by name, directories first: g.tzx, then the files.
  EXPECT_EQ(log_lines(), (Lines{dir_.file("g.tap") + ": cannot open the TZX file", "g.tzx", "a.tzx", "b.TZX",
                                "caf\xC3\xA9.tzx", "caf\xEF\xBF\xBD.tzx", dir_.file("d.tap") +
                                ": Unsupported block found ($12)", "d.tzx", "e.tzx", japanese + ".tzx"}));
  // d.tap: the records before the refused block.
  for (const std::string& name : Lines{"a", "b", "d", "caf\xC3\xA9", "caf\xE9", japanese})
    EXPECT_EQ(read_file(dir_.file(name + ".tap")), TAP) << name;
  EXPECT_EQ(read_file(dir_.file("e.tap")), "kept");
  for (const char* name : {"c.tap", "f.tap", "noextension.tap"}) EXPECT_FALSE(path_exists(dir_.file(name))) << name;
  // The list is shown again and still lists what it listed.
  EXPECT_TRUE(gtk_widget_get_visible(gadget_find(list)->outer));
}

// Asked before every row, the caller's first "no" leaves that row and all
// after it alone; the window is kept alive before every block of a tape too;
// the log keeps its newest line in view all the while.
TEST_F(BatchConversion, StopsWhereTheCallerSaysAndKeepsTheNewestLineInView) {
  for (int i = 10; i < 50; ++i) write_file(dir_.file("t" + std::to_string(i) + ".tzx"), tzx(standard_block(DATA) + standard_block(DATA)));
  const ObjectNumber list = list_selecting_all_but({});
  int asked = 0, kept_alive = 0;
  convert_selected_files(list, log_, [&] { return ++asked <= 30; }, [&] { ++kept_alive; });
  EXPECT_EQ(kept_alive, 60);
  EXPECT_EQ(read_file(dir_.file("t39.tap")), TAP + TAP);
  EXPECT_FALSE(path_exists(dir_.file("t40.tap")));
  events_flush();
  GtkAdjustment* shown = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(gadget_find(log_)->outer));
  EXPECT_EQ(gtk_adjustment_get_value(shown), gtk_adjustment_get_upper(shown) - gtk_adjustment_get_page_size(shown));
}

}  // namespace
