#include "tests/support/explorer_fixture.h"

#include <algorithm>

#include "gadgets/explorer_common.h"
#include "gadgets/explorer_list.h"
#include "gadgets/explorer_tree.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

ObjectNumber created(ObjectNumber gadget) {
  EXPECT_NE(gadget, 0);
  return gadget;
}

}  // namespace

ObjectNumber ExplorerTest::list(const std::string& text, std::uint32_t flags) {
  return created(explorer_list_create(-1, 0, 0, 700, 500, text, flags));
}

ObjectNumber ExplorerTest::tree(const std::string& text, std::uint32_t flags) {
  return created(explorer_tree_create(-1, 0, 0, 380, 480, text, flags));
}

GtkTreeView* ExplorerTest::view(ObjectNumber gadget) const { return GTK_TREE_VIEW(gadget_find(gadget)->widget); }
GtkTreeModel* ExplorerTest::model(ObjectNumber gadget) const { return gtk_tree_view_get_model(view(gadget)); }

Names ExplorerTest::rows(ObjectNumber list, int column) {
  GadgetRecord* record = gadget_find(list);
  Names texts;
  for (int i = 0; i < gadget_count_items(list); ++i) texts.push_back(record->type->get_item_text(record, i, column));
  return texts;
}

GtkTreeIter ExplorerTest::row(ObjectNumber list, int index) {
  GtkTreeIter found{};
  EXPECT_TRUE(gtk_tree_model_iter_nth_child(model(list), &found, nullptr, index)) << index;
  return found;
}

namespace {

std::string shown_name(GtkTreeModel* model, GtkTreeIter* node) {
  gchar* text = nullptr;
  gtk_tree_model_get(model, node, EXPLORER_COLUMN_NAME, &text, -1);
  std::string name = text ? text : "";
  g_free(text);
  return name;
}

}  // namespace

GtkTreeIter ExplorerTest::node(ObjectNumber tree, const std::string& path) {
  GtkTreeIter found{};
  bool more = gtk_tree_model_get_iter_first(model(tree), &found);
  for (std::string::size_type start = 1, end; more && start < path.size(); start = end + 1) {
    end = std::min(path.find('/', start), path.size());
    GtkTreeIter parent = found;
    more = gtk_tree_model_iter_children(model(tree), &found, &parent);
    while (more && shown_name(model(tree), &found) != path.substr(start, end - start))
      more = gtk_tree_model_iter_next(model(tree), &found);
  }
  EXPECT_TRUE(more) << "no node for " << path;
  return found;
}

Names ExplorerTest::children(ObjectNumber tree, const std::string& path) {
  GtkTreeIter parent = node(tree, path), child;
  Names names;
  bool more = gtk_tree_model_iter_children(model(tree), &child, path.empty() ? nullptr : &parent);
  for (; more; more = gtk_tree_model_iter_next(model(tree), &child)) names.push_back(shown_name(model(tree), &child));
  return names;
}

bool ExplorerTest::expandable(ObjectNumber tree, const std::string& path) {
  GtkTreeIter parent = node(tree, path);
  return gtk_tree_model_iter_has_child(model(tree), &parent);
}

bool ExplorerTest::unread(ObjectNumber tree, const std::string& path) {
  GtkTreeIter parent = node(tree, path), child;
  gint kind = -1;
  if (gtk_tree_model_iter_children(model(tree), &child, &parent))
    gtk_tree_model_get(model(tree), &child, EXPLORER_COLUMN_KIND, &kind, -1);
  return kind == ENTRY_PLACEHOLDER;
}

void ExplorerTest::row_point(ObjectNumber gadget, GtkTreeIter row, bool expander, int* x, int* y) {
  GtkTreePath* path = gtk_tree_model_get_path(model(gadget), &row);
  GdkRectangle cell;
  gtk_tree_view_get_cell_area(view(gadget), path, gtk_tree_view_get_column(view(gadget), 0), &cell);
  gtk_tree_path_free(path);
  gint expander_size = 0;
  gtk_widget_style_get(GTK_WIDGET(view(gadget)), "expander-size", &expander_size, nullptr);
  const int bin_x = expander ? cell.x - expander_size / 2 - 2 : cell.x + cell.width / 2;
  gtk_tree_view_convert_bin_window_to_widget_coords(view(gadget), bin_x, cell.y + cell.height / 2,
                                                    x, y);
}

std::vector<int> ExplorerTest::clicks(ObjectNumber gadget, const std::vector<TestEvent>& events) {
  std::vector<int> data;
  for (const TestEvent& event : events)
    if (event.kind == EVENT_GADGET && event.gadget == gadget && event.data != GADGET_EVENT_CHANGE)
      data.push_back(event.data);
  return data;
}
