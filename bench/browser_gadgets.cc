// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/browser_gadgets.h"

#include <gtk/gtk.h>

#include <memory>

#include "gadgets/explorer_list.h"
#include "gadgets/explorer_tree.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

void browser_gadgets_init(int argc, char** argv) {
  toolkit_save_arguments(argc, argv);
  toolkit_init();
  event_queue_init();
  window_layer_init();
  gadget_layer_init();
  window_open(-1, 0, 0, 1021, 700, "File browser benchmark", WINDOW_CENTERED);
  events_flush();
}

// Each round comes from a small directory, as when the user moves from one
// directory to the next, and ends when GTK has nothing left to do.
BenchSubject browser_gadgets_list_fill(const std::string& text, unsigned flags) {
  ObjectNumber list = explorer_list_create(-1, 0, 0, 600, 650, "/", flags);
  events_flush();
  BenchSubject subject;
  subject.prepare = [list] {
    gadget_set_text(list, "/");
    events_flush();
  };
  subject.run = [list, text] {
    gadget_set_text(list, text);
    return std::size_t(gadget_count_items(list));
  };
  subject.settle = events_flush;
  return subject;
}

namespace {

std::string bench_parent_directory(const std::string& directory) {
  std::string::size_type slash = directory.rfind('/', directory.size() - 2);
  return directory.substr(0, slash + 1);
}

std::size_t bench_selected_children(ObjectNumber tree) {
  GadgetRecord* record = gadget_find(tree);
  GtkTreeModel* model = nullptr;
  GtkTreeIter node;
  if (!record ||
      !gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(record->widget)),
                                       &model, &node))
    return 0;
  return gtk_tree_model_iter_n_children(model, &node);
}

}  // namespace

// Each round gets a new tree standing on the directory's parent, so that the
// node itself is unread; the round selects the directory, which reads and
// expands its node, and ends when GTK has nothing left to do.
BenchSubject browser_gadgets_tree_expand(const std::string& directory, unsigned flags) {
  auto tree = std::make_shared<ObjectNumber>(0);
  BenchSubject subject;
  subject.prepare = [tree, directory, flags] {
    if (*tree) gadget_free(*tree);
    *tree = explorer_tree_create(-1, 610, 0, 400, 650, bench_parent_directory(directory), flags);
    events_flush();
  };
  subject.run = [tree, directory] {
    gadget_set_text(*tree, directory);
    return bench_selected_children(*tree);
  };
  subject.settle = events_flush;
  return subject;
}
