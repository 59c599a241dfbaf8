// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TESTS_SUPPORT_EXPLORER_FIXTURE_H_
#define OSTRELM_TESTS_SUPPORT_EXPLORER_FIXTURE_H_

// The explorer tests' window, a scratch directory, and looks into the models.

#include <gtk/gtk.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gadgets/explorer_common.h"
#include "gadgets/explorer_list.h"
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
  // A tree's node of an absolute path, found by shown names below the root node.
  static GtkTreeIter node(ObjectNumber tree, const std::string& path) {
    GtkTreeIter found{}, parent;
    bool more = gtk_tree_model_get_iter_first(model(tree), &found);
    for (std::string::size_type start = 1, end; more && start < path.size(); start = end + 1) {
      end = std::min(path.find('/', start), path.size());
      parent = found;
      more = gtk_tree_model_iter_children(model(tree), &found, &parent);
      while (more && shown_name(tree, &found) != path.substr(start, end - start))
        more = gtk_tree_model_iter_next(model(tree), &found);
    }
    EXPECT_TRUE(more) << "no node for " << path;
    return found;
  }
  // The shown names below a path's node ("": the top level).
  static Names children(ObjectNumber tree, const std::string& path) {
    GtkTreeIter parent = node(tree, path), child;
    Names names;
    bool more = gtk_tree_model_iter_children(model(tree), &child, path.empty() ? nullptr : &parent);
    for (; more; more = gtk_tree_model_iter_next(model(tree), &child)) names.push_back(shown_name(tree, &child));
    return names;
  }

  ScratchDirectory scratch_;
};

#endif  // OSTRELM_TESTS_SUPPORT_EXPLORER_FIXTURE_H_
