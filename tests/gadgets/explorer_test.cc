// SPDX-License-Identifier: GPL-3.0-or-later
// What the disk holds, as both explorers show it, and the list's rows, sorting and columns.
#include <gtk/gtk.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <memory>
#include <string>
#include <vector>

#include "gadgets/explorer_common.h"
#include "gadgets/explorer_list.h"
#include "gadgets/explorer_list_state.h"
#include "gadgets/explorer_tree.h"
#include "tests/support/gadget_window_fixture.h"
#include "tests/support/scratch_directory.h"
#include "toolkit/gadget.h"

using Names = std::vector<std::string>;

// The main window's tree: only directories, sorted, with a home node.
constexpr unsigned MAIN_TREE_FLAGS = 46;

class ExplorerTest : public GadgetWindowTest {
 protected:
  ObjectNumber list(const std::string& at, unsigned how) { return explorer_list_create(-1, 0, 0, 700, 500, at, how); }
  ObjectNumber tree(const std::string& at, unsigned how) { return explorer_tree_create(-1, 0, 0, 380, 480, at, how); }
  static GtkTreeModel* model(ObjectNumber g) { return gtk_tree_view_get_model(GTK_TREE_VIEW(gadget_find(g)->widget)); }

  // A list's texts of one column.
  static Names rows(ObjectNumber list, int column = 0) {
    GadgetRecord* record = gadget_find(list);
    Names texts;
    for (int i = 0; i < gadget_count_items(list); ++i) texts.push_back(record->type->get_item_text(record, i, column));
    return texts;
  }
  static std::string shown_name(ObjectNumber tree, GtkTreeIter* node) {
    gchar* text = nullptr;
    gtk_tree_model_get(model(tree), node, EXPLORER_COLUMN_NAME, &text, -1);
    return std::unique_ptr<gchar, decltype(&g_free)>(text, g_free) ? text : "";
  }
  // The shown names below the node of an absolute path, found by shown names
  // from the root node down.
  static Names children(ObjectNumber tree, const std::string& path) {
    GtkTreeModel* m = model(tree);
    GtkTreeIter node{}, parent;
    bool more = gtk_tree_model_get_iter_first(m, &node);
    for (std::string::size_type start = 1, end; more && start < path.size(); start = end + 1) {
      end = std::min(path.find('/', start), path.size());
      parent = node;
      more = gtk_tree_model_iter_children(m, &node, &parent);
      while (more && shown_name(tree, &node) != path.substr(start, end - start))
        more = gtk_tree_model_iter_next(m, &node);
    }
    EXPECT_TRUE(more) << "no node for " << path;
    Names names;
    parent = node;
    for (more = gtk_tree_model_iter_children(m, &node, &parent); more; more = gtk_tree_model_iter_next(m, &node))
      names.push_back(shown_name(tree, &node));
    return names;
  }

  ScratchDirectory scratch_;
};

// In a UTF-8 locale (GTK sets the user's) fnmatch works on characters; names
// that are not UTF-8 must still match and keep their bytes.
TEST_F(ExplorerTest, NamesInAnyEncodingAreShownReadablyAndHandedBackExactly) {
  std::setlocale(LC_ALL, "C.UTF-8");
  const std::string dir = scratch_.path(), japanese = "\xe3\x83\x86\xe3\x83\xbc\xe3\x83\x97";
  // UTF-8 with an accent, beyond Latin-1, Latin-1 (not UTF-8), a Latin-1 directory.
  Names disk = {"caf\xc3\xa9.tzx", japanese + ".tzx", "caf\xe9.tzx", "d\xe9mos"};
  scratch_.make({disk[0], disk[1], disk[2], disk[3] + "/"});
  std::sort(disk.begin(), disk.end());
  const ObjectNumber files = list(dir + "*.tzx", EXPLORER_SORT_BY_NAME),
                     nodes = tree(dir, EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_HOME);
  for (const Names& shown : {rows(files), children(nodes, dir)})
    for (const std::string& name : shown) EXPECT_TRUE(g_utf8_validate(name.c_str(), -1, nullptr)) << name;
  Names found;
  for (int row = 1; row < gadget_count_items(files); ++row) {
    found.push_back(explorer_list_item_name(files, row));
    EXPECT_EQ(explorer_list_item_path(files, row), dir + found.back());
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, disk);
  for (const std::string& name : disk) {
    const std::string on_disk = dir + name + (name == "d\xe9mos" ? "/" : "");
    explorer_tree_set_path(nodes, on_disk);
    EXPECT_EQ(explorer_tree_selected_path(nodes), on_disk);
  }
  std::setlocale(LC_ALL, "C");
}

TEST_F(ExplorerTest, UnreadableDanglingAndLoopingEntriesNeitherBreakNorHang) {
  const std::string t = scratch_.file("t/");
  scratch_.make({"t/locked/sub/", "t/vanishing/inner/", "t/plain"});
  for (const auto& [target, name] : {std::pair{"nowhere", "t/dangling"}, {"self", "t/self"}, {"..", "t/up"}})
    scratch_.make_link(target, name);
  chmod((t + "locked").c_str(), 0);
  const ObjectNumber files = list(t, EXPLORER_SORT_BY_NAME), dirs = tree(t, MAIN_TREE_FLAGS);
  const Names shown = {"..", "locked", "up", "vanishing", "plain"};
  EXPECT_EQ(rows(files), shown);
  EXPECT_EQ(children(dirs, t), (Names{"locked", "up", "vanishing"}));
  // A link back to a parent is read only as far as it is walked.
  const std::string looped = t + "up/t/up/t/up/t/";
  gadget_set_text(files, looped);
  EXPECT_EQ(rows(files), shown);
  gadget_set_text(dirs, looped);
  EXPECT_EQ(gadget_get_text(dirs), looped);
  EXPECT_EQ(children(dirs, looped + "up/"), Names{""}) << "only the nameless placeholder";
  // A directory that cannot be read (root reads anything, but not what is
  // gone): the list shows the root, the tree stops before it, no expander.
  rmdir((t + "vanishing/inner").c_str());
  rmdir((t + "vanishing").c_str());
  for (const std::string name : {"vanishing", "locked"}) {
    if (name == "locked" && geteuid() == 0) continue;
    gadget_set_text(files, t + name + "/");
    EXPECT_EQ(gadget_get_text(files), "/") << name;
    gadget_set_text(dirs, t + name + "/inner/");
    EXPECT_EQ(gadget_get_text(dirs), t + name + "/") << name;
    EXPECT_EQ(children(dirs, t + name + "/"), Names{}) << name << ": no expander";
  }
}

// Directories (links to them too, dangling links never) come first whatever
// the patterns; ";" alone and "*.*" alone take every name, inside a piece
// "*.*" keeps its dot.
TEST_F(ExplorerTest, RowsFollowTheTextAndTheSortKeepsParentThenDirectoriesOrFilesFirst) {
  const std::string dir = scratch_.path();
  scratch_.make({"beta/", "alpha/", "b.tzx", "a.tzx", "c.txt", ".hidden.tzx", "GAME.TZX", "README"});
  scratch_.make_link(dir + "beta", "to_beta");
  scratch_.make_link(dir + "nowhere", "dangling.tzx");
  const ObjectNumber sorted = list(dir + "*.tzx", EXPLORER_SORT_BY_NAME);
  const Names dirs = {"..", "alpha", "beta", "to_beta"}, all = {"GAME.TZX", "README", "a.tzx", "b.tzx", "c.txt"};
  for (const auto& [patterns, files] : std::vector<std::pair<std::string, Names>>{
           {"*.tzx", {"a.tzx", "b.tzx"}}, {"*.txt;*.TZX", {"GAME.TZX", "c.txt"}},
           {"*.[tT][zZ][xX]", {"GAME.TZX", "a.tzx", "b.tzx"}}, {";", all}, {"*.*", all}, {"R*.*", {}}}) {
    gadget_set_text(sorted, patterns);  // without "/": the patterns only
    Names expected = dirs;
    expected.insert(expected.end(), files.begin(), files.end());
    EXPECT_EQ(rows(sorted), expected) << patterns;
  }
  EXPECT_EQ(gadget_get_text(sorted), dir);
  // Descending: ".." stays first, and files come before directories.
  gadget_set_text(sorted, "*.tzx");
  gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(model(sorted)), LIST_COLUMN_NAME, GTK_SORT_DESCENDING);
  EXPECT_EQ(rows(sorted), (Names{"..", "b.tzx", "a.tzx", "to_beta", "beta", "alpha"}));
  const Names hidden = rows(list(dir + "*.tzx", EXPLORER_SHOW_HIDDEN));
  EXPECT_EQ(std::count(hidden.begin(), hidden.end(), ".hidden.tzx"), 1);
  gadget_set_text(sorted, dir + "alpha/");  // ending in "/": the directory only
  EXPECT_EQ(rows(sorted), Names{".."});
  EXPECT_EQ(gadget_get_text(sorted), dir + "alpha/");
  gadget_set_text(sorted, "/");
  EXPECT_NE(gadget_get_item_text(sorted, 0), "..");
  const int count = gadget_count_items(sorted);  // names no row
  EXPECT_EQ(gadget_get_item_state(sorted, count), 0u);
  EXPECT_EQ(gadget_get_item_text(sorted, count), "");
}

// Each unit begins at its first byte.
TEST_F(ExplorerTest, SizeAndAttributesTexts) {
  Names names = {"sub"}, sizes = {""};
  for (const auto& [size, text] : std::vector<std::pair<off_t, std::string>>{
           {1023, "1023 Bytes"}, {1024, "1 KB"}, {1048575, "1023 KB"}, {1048576, "1 MB"}, {5000000, "4 MB"}}) {
    names.push_back("f" + std::to_string(size));
    scratch_.make_file(names.back(), size);
    sizes.push_back(text);
  }
  scratch_.make_directory("sub");
  const ObjectNumber sized = list(scratch_.path(), EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_PARENT);
  GadgetRecord* record = gadget_find(sized);
  ASSERT_EQ(record->type->add_column(record, "TQ_Explorer_Column_Attributes", -1, 90), 1);
  EXPECT_EQ(rows(sized), names);
  EXPECT_EQ(rows(sized, 1), sizes);
  EXPECT_EQ(rows(sized, 4)[0] + " " + rows(sized, 4)[1], "drwxr-xr-x -rw-r--r--");
}
