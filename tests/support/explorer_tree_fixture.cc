#include "tests/support/explorer_tree_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "gadgets/explorer_tree.h"
#include "tests/support/event_test_util.h"
#include "toolkit/gadget.h"
#include "toolkit/window.h"

TreeScratch::TreeScratch(const std::string& base) {
  std::string name = base + "/explorer_tree_XXXXXX";
  if (!mkdtemp(&name[0])) ADD_FAILURE() << "cannot make a directory in " << base;
  path_ = name + "/";
}

TreeScratch::~TreeScratch() {
  const std::string command = "chmod -R u+rwx '" + path_ + "' && rm -rf '" + path_ + "'";
  if (std::system(command.c_str()) != 0) ADD_FAILURE() << "cannot remove " << path_;
}

std::string TreeScratch::directory(const std::string& relative) const {
  const std::string full = path_ + relative;
  const std::string command = "mkdir -p '" + full + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << full;
  return full.back() == '/' ? full : full + "/";
}

std::string TreeScratch::file(const std::string& relative) const {
  const std::string full = path_ + relative;
  const std::string::size_type slash = relative.rfind('/');
  if (slash != std::string::npos) directory(relative.substr(0, slash));
  const int fd = open(full.c_str(), O_CREAT | O_WRONLY, 0644);
  EXPECT_GE(fd, 0) << full;
  close(fd);
  return full;
}

void TreeScratch::link(const std::string& target, const std::string& relative) const {
  EXPECT_EQ(symlink(target.c_str(), (path_ + relative).c_str()), 0) << relative;
}

void ExplorerTreeTest::SetUpTestSuite() {
  event_test_init_layers();
  gadget_layer_init();
}

void ExplorerTreeTest::SetUp() {
  window_ = window_open(-1, 0, 0, 400, 500, "explorer tree", WINDOW_RESIZABLE);
  ASSERT_NE(window_, 0);
  event_test_drain();
}

void ExplorerTreeTest::TearDown() { window_close(window_); }

ObjectNumber ExplorerTreeTest::create(const std::string& text, std::uint32_t flags) {
  const ObjectNumber tree = explorer_tree_create(-1, 0, 0, 380, 480, text, flags);
  EXPECT_NE(tree, 0);
  return tree;
}

GtkTreeView* ExplorerTreeTest::view(ObjectNumber tree) const {
  GadgetRecord* record = gadget_find(tree);
  return record ? GTK_TREE_VIEW(record->widget) : nullptr;
}

GtkTreeModel* ExplorerTreeTest::model(ObjectNumber tree) const {
  return gtk_tree_view_get_model(view(tree));
}

namespace {

std::string shown_name(GtkTreeModel* model, GtkTreeIter* node) {
  gchar* text = nullptr;
  gtk_tree_model_get(model, node, 2, &text, -1);
  std::string name = text ? text : "";
  g_free(text);
  return name;
}

bool child_named(GtkTreeModel* model, GtkTreeIter* parent, const std::string& name,
                 GtkTreeIter* child) {
  if (!gtk_tree_model_iter_children(model, child, parent)) return false;
  do {
    if (shown_name(model, child) == name) return true;
  } while (gtk_tree_model_iter_next(model, child));
  return false;
}

}  // namespace

std::vector<std::string> tree_child_names(GtkTreeModel* model, GtkTreeIter* parent) {
  std::vector<std::string> names;
  GtkTreeIter child;
  if (!gtk_tree_model_iter_children(model, &child, parent)) return names;
  do names.push_back(shown_name(model, &child));
  while (gtk_tree_model_iter_next(model, &child));
  return names;
}

bool tree_find(GtkTreeModel* model, const std::string& path, GtkTreeIter* node) {
  if (!gtk_tree_model_get_iter_first(model, node)) return false;
  std::string::size_type start = 1;
  while (start < path.size()) {
    std::string::size_type end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    GtkTreeIter child;
    if (!child_named(model, node, path.substr(start, end - start), &child)) return false;
    *node = child;
    start = end + 1;
  }
  return true;
}

bool tree_node_unread(GtkTreeModel* model, GtkTreeIter* node) {
  GtkTreeIter child;
  if (!gtk_tree_model_iter_children(model, &child, node)) return false;
  gint kind = -1;
  gtk_tree_model_get(model, &child, 0, &kind, -1);
  return kind == 0;
}

bool tree_selected(GtkTreeView* view, GtkTreeIter* node) {
  return gtk_tree_selection_get_selected(gtk_tree_view_get_selection(view), nullptr, node);
}
