// SPDX-License-Identifier: GPL-3.0-or-later
// convert_selected_files over a real explorer list and log in a window.
#include "convert/batch_conversion.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
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

// Every file, several selectable, sorted; directories listed too, so that the
// type bits of a row are seen not to matter.
constexpr unsigned LIST_FLAGS = EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_PARENT | EXPLORER_KEEP_DIRECTORY |
                                EXPLORER_MULTI_SELECT;

const std::string DATA = pattern_bytes(300, 7);
const std::string TAPE = tzx(standard_block(DATA));
const std::string TAP = tap_record(DATA);
// A block TAP cannot hold (a pure tone) after one data block.
const std::string REFUSED_TAPE = tzx(standard_block(DATA) + std::string("\x12\x78\x08\x97\x0c", 5));

class BatchConversion : public GadgetWindowTest {
 protected:
  void SetUp() override {
    GadgetWindowTest::SetUp();
    log_ = editor_create(-1, 0, 500, 900, 200, EDITOR_READ_ONLY);
    gadget_add_item(log_, -1, "the last batch's line");
  }
  ObjectNumber list_of(const std::string& pattern) {
    return explorer_list_create(-1, 0, 0, 900, 480, dir_.path() + pattern, LIST_FLAGS);
  }
  // Selects the rows whose on-disk names are given.
  static void select(ObjectNumber list, const std::set<std::string>& names) {
    GtkTreeView* view = GTK_TREE_VIEW(gadget_find(list)->widget);
    for (int row = 0; row < gadget_count_items(list); ++row) {
      if (!names.count(explorer_list_item_name(list, row))) continue;
      GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
      gtk_tree_selection_select_path(gtk_tree_view_get_selection(view), path);
      gtk_tree_path_free(path);
    }
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

TEST_F(BatchConversion, SelectedTapesConvertInRowOrderEachNameAfterItsMessages) {
  write_file(dir_.file("a.tzx"), TAPE);
  write_file(dir_.file("b.TZX"), TAPE);
  write_file(dir_.file("c.txt"), TAPE);
  write_file(dir_.file("noextension"), TAPE);
  write_file(dir_.file("d.tzx"), REFUSED_TAPE);
  write_file(dir_.file("e.tzx"), TAPE);
  write_file(dir_.file("e.tap"), "kept");  // a TAP file that holds data
  write_file(dir_.file("f.tzx"), TAPE);    // not selected
  dir_.make({"g.tzx/"});                   // a directory is handed over like a file
  const ObjectNumber list = list_of("*");
  select(list, {"a.tzx", "b.TZX", "c.txt", "noextension", "d.tzx", "e.tzx", "g.tzx"});

  convert_selected_files(list, log_);

  // Sorted by name, directories first: g.tzx, then the files.
  EXPECT_EQ(log_lines(), (Lines{dir_.file("g.tap") + ": cannot open the TZX file", "g.tzx", "a.tzx", "b.TZX",
                                dir_.file("d.tap") + ": Unsupported block found ($12)", "d.tzx", "e.tzx"}));
  // d.tap: the records before the refused block.
  for (const char* name : {"a.tap", "b.tap", "d.tap"}) EXPECT_EQ(read_file(dir_.file(name)), TAP) << name;
  EXPECT_EQ(read_file(dir_.file("e.tap")), "kept");
  for (const char* name : {"c.tap", "f.tap", "noextension.tap"}) EXPECT_FALSE(path_exists(dir_.file(name))) << name;
  // The list is shown again and still lists what it listed.
  EXPECT_TRUE(gtk_widget_get_visible(gadget_find(list)->outer));
}

TEST_F(BatchConversion, NamesOutsideLatin1AndNotUtf8ConvertBesideTheRightInput) {
  const std::string japanese = "\xE3\x83\x86\xE3\x83\xBC\xE3\x83\x97";  // テープ in UTF-8
  const std::string names[] = {japanese + ".tzx", "caf\xC3\xA9.tzx", "caf\xE9.tzx"};
  for (const std::string& name : names) write_file(dir_.file(name), TAPE);
  const ObjectNumber list = list_of("*.tzx");
  select(list, {std::begin(names), std::end(names)});

  convert_selected_files(list, log_);

  for (const std::string& name : names) EXPECT_EQ(read_file(dir_.file(name.substr(0, name.size() - 4) + ".tap")), TAP) << name;
  // Each name as the list shows it: a name that is not UTF-8 in its readable
  // display form (the byte that cannot be shown replaced).
  Lines lines = log_lines();
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (Lines{"caf\xC3\xA9.tzx", "caf\xEF\xBF\xBD.tzx", japanese + ".tzx"}));
}

// Asked before every row, the caller's first "no" leaves that row and all
// after it alone; the window is kept alive before every block of a tape too;
// the log keeps its newest line in view all the while.
TEST_F(BatchConversion, StopsWhereTheCallerSaysAndKeepsTheNewestLineInView) {
  for (int i = 10; i < 50; ++i) write_file(dir_.file("t" + std::to_string(i) + ".tzx"), tzx(standard_block(DATA) + standard_block(DATA)));
  const ObjectNumber list = list_of("*.tzx");
  gtk_tree_selection_select_all(gtk_tree_view_get_selection(GTK_TREE_VIEW(gadget_find(list)->widget)));
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
