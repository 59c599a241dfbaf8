// A directory of 100,000 entries: read, sorted and walked through without
// the tree stalling.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "gadgets/explorer_common.h"
#include "gadgets/explorer_tree.h"
#include "tests/support/explorer_tree_fixture.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

constexpr int kEntries = 100000;
// Far above what the reading takes even under the sanitizers; a quadratic
// step or a hang would miss it by far.
constexpr double kSecondsAllowed = 60;

using ExplorerTreeLarge = ExplorerTreeTest;

std::string numbered(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "f%06d", i);
  return name;
}

// Memory rather than disk where there is one: making 100,000 files on a
// journalled disk can take longer than everything else here.
std::string fast_base() { return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"; }

TEST_F(ExplorerTreeLarge, HundredThousandEntriesAreReadSortedAndWalked) {
  const TreeScratch scratch(fast_base());
  const std::string big = scratch.directory("big");
  // Created in descending order, so that sorting has something to do.
  for (int i = kEntries - 1; i >= 0; --i) {
    const int fd = open((big + numbered(i)).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    close(fd);
  }
  const auto start = std::chrono::steady_clock::now();
  const std::string last = big + numbered(kEntries - 1);
  const ObjectNumber tree = create(last, EXPLORER_SORT_BY_NAME | EXPLORER_HIDE_HOME);
  events_flush();
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  EXPECT_LT(spent.count(), kSecondsAllowed);

  EXPECT_EQ(gadget_get_text(tree), last);
  GtkTreeIter node;
  ASSERT_TRUE(tree_find(model(tree), big, &node));
  ASSERT_EQ(gtk_tree_model_iter_n_children(model(tree), &node), kEntries);
  GtkTreeIter child;
  ASSERT_TRUE(gtk_tree_model_iter_nth_child(model(tree), &child, &node, 0));
  EXPECT_EQ(explorer_tree_node_path(view(tree), &child), big + numbered(0));
  ASSERT_TRUE(gtk_tree_model_iter_nth_child(model(tree), &child, &node, kEntries / 2));
  EXPECT_EQ(explorer_tree_node_path(view(tree), &child), big + numbered(kEntries / 2));
}

}  // namespace
