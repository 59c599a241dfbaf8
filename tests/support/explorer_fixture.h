#ifndef OSTRELM_TESTS_SUPPORT_EXPLORER_FIXTURE_H_
#define OSTRELM_TESTS_SUPPORT_EXPLORER_FIXTURE_H_

// What the explorer list and tree tests share besides the window: a scratch
// directory to point the gadgets at, and read-only looks into their models.

#include <gtk/gtk.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/event_test_util.h"
#include "tests/support/gadget_window_fixture.h"
#include "tests/support/scratch_directory.h"
#include "toolkit/object_number.h"

using Names = std::vector<std::string>;

// The main window's flags: the list holds only selectable files, the tree
// only directories, sorted, with a home node.
constexpr std::uint32_t MAIN_LIST_FLAGS = 11756;
constexpr std::uint32_t MAIN_TREE_FLAGS = 46;

class ExplorerTest : public GadgetWindowTest {
 protected:
  // Creators in the test's window; they fail the test on 0.
  ObjectNumber list(const std::string& text, std::uint32_t flags);
  ObjectNumber tree(const std::string& text, std::uint32_t flags);
  GtkTreeView* view(ObjectNumber gadget) const;
  GtkTreeModel* model(ObjectNumber gadget) const;

  // A list's cell texts of one column as the view holds them (UTF-8).
  Names rows(ObjectNumber list, int column = 0);
  GtkTreeIter row(ObjectNumber list, int index);
  // A tree's node of an absolute path, found by shown names below the root
  // node (fails the test if there is none), and looks at it ("": the top).
  GtkTreeIter node(ObjectNumber tree, const std::string& path);
  Names children(ObjectNumber tree, const std::string& path);
  bool expandable(ObjectNumber tree, const std::string& path);
  bool unread(ObjectNumber tree, const std::string& path);  // only its placeholder yet

  // Widget coordinates inside a row: on its name, or on the expander in front.
  void row_point(ObjectNumber gadget, GtkTreeIter row, bool expander, int* x, int* y);
  // The data of the click events (not selection changes) of the gadget.
  static std::vector<int> clicks(ObjectNumber gadget, const std::vector<TestEvent>& events);

  ScratchDirectory scratch_;
};

#endif  // OSTRELM_TESTS_SUPPORT_EXPLORER_FIXTURE_H_
