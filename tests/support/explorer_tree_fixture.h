#ifndef OSTRELM_TESTS_SUPPORT_EXPLORER_TREE_FIXTURE_H_
#define OSTRELM_TESTS_SUPPORT_EXPLORER_TREE_FIXTURE_H_

// What the explorer tree tests share: a scratch directory tree to point the
// gadget at, a window to put it in, and read-only looks into its model.

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/object_number.h"

// A fresh directory under /tmp, removed with everything in it afterwards
// (also what was made unreadable). Relative names may have several levels.
class TreeScratch {
 public:
  // In `base`, an existing directory.
  explicit TreeScratch(const std::string& base = "/tmp");
  ~TreeScratch();
  TreeScratch(const TreeScratch&) = delete;
  TreeScratch& operator=(const TreeScratch&) = delete;

  // The directory, ending in "/".
  const std::string& path() const { return path_; }
  // Makes the directory and any missing parents; returns its path with "/".
  std::string directory(const std::string& relative) const;
  // Makes an empty file (and its missing parents); returns its path.
  std::string file(const std::string& relative) const;
  // Makes a symbolic link `relative` pointing at `target`.
  void link(const std::string& target, const std::string& relative) const;

 private:
  std::string path_;
};

// Sets up the layers once, opens a window for each test and closes it after.
class ExplorerTreeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // explorer_tree_create(-1, ...) in the test's window; fails the test on 0.
  ObjectNumber create(const std::string& text, std::uint32_t flags);
  GtkTreeView* view(ObjectNumber tree) const;
  GtkTreeModel* model(ObjectNumber tree) const;

  ObjectNumber window_ = 0;
  TreeScratch scratch_;
};

// Shown names of the children of a node (nullptr: the top level), in order.
std::vector<std::string> tree_child_names(GtkTreeModel* model, GtkTreeIter* parent);

// The node of an absolute path, found by shown names below the root node.
bool tree_find(GtkTreeModel* model, const std::string& path, GtkTreeIter* node);

// Whether a node still holds only its placeholder (not read yet).
bool tree_node_unread(GtkTreeModel* model, GtkTreeIter* node);

// The selected node, if any.
bool tree_selected(GtkTreeView* view, GtkTreeIter* node);

#endif  // OSTRELM_TESTS_SUPPORT_EXPLORER_TREE_FIXTURE_H_
