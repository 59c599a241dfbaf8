#include "gadgets/explorer_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gadgets/explorer_common.h"
#include "tests/support/event_test_util.h"
#include "tests/support/explorer_tree_fixture.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

// The flags of the main window's tree: directories only, sorted, home node.
constexpr std::uint32_t kMainFlags = 46;

using Names = std::vector<std::string>;

// Sets "HOME" (nullptr: unsets it) for one test and restores it afterwards.
class HomeVariable {
 public:
  explicit HomeVariable(const char* value) {
    const char* old = std::getenv("HOME");
    if (old) old_ = old;
    had_ = old != nullptr;
    value ? setenv("HOME", value, 1) : unsetenv("HOME");
  }
  ~HomeVariable() { had_ ? setenv("HOME", old_.c_str(), 1) : unsetenv("HOME"); }

 private:
  std::string old_;
  bool had_;
};

class ExplorerTree : public ExplorerTreeTest {
 protected:
  int state(ObjectNumber tree) { return gadget_find(tree)->type->get_state(gadget_find(tree)); }
  Names children(ObjectNumber tree, const std::string& path) {
    GtkTreeIter node;
    EXPECT_TRUE(tree_find(model(tree), path, &node)) << path;
    return tree_child_names(model(tree), &node);
  }
  bool expandable(ObjectNumber tree, const std::string& path) {
    GtkTreeIter node;
    EXPECT_TRUE(tree_find(model(tree), path, &node)) << path;
    return gtk_tree_model_iter_has_child(model(tree), &node);
  }
  bool unread(ObjectNumber tree, const std::string& path) {
    GtkTreeIter node;
    EXPECT_TRUE(tree_find(model(tree), path, &node)) << path;
    return tree_node_unread(model(tree), &node);
  }
};

TEST_F(ExplorerTree, CreationReadsAlongTheStartPathOnlyAndSelectsItsNode) {
  const std::string deep = scratch_.directory("home/user/work");
  scratch_.directory("home/other/inside");
  const ObjectNumber tree = create(deep, kMainFlags);

  EXPECT_EQ(gadget_get_text(tree), deep);
  EXPECT_EQ(state(tree), 2);
  bool changed = false;
  for (const TestEvent& event : event_test_drain())
    changed |= event.gadget == tree && event.data == GADGET_EVENT_CHANGE;
  EXPECT_TRUE(changed);
  EXPECT_EQ(children(tree, scratch_.path() + "home/user/"), Names{"work"});
  EXPECT_TRUE(unread(tree, scratch_.path() + "home/other/"));  // off the path
  EXPECT_FALSE(expandable(tree, deep));  // empty
}

TEST_F(ExplorerTree, HomeNodeStandsForHomeWhileRootPathsAreWalkedFromTheRoot) {
  const std::string home = scratch_.directory("me/projects");
  HomeVariable variable((scratch_.path() + "me").c_str());  // no final "/"
  const ObjectNumber tree = create("*.tzx", kMainFlags);  // patterns only: no selection
  EXPECT_EQ(gadget_get_text(tree), "");
  EXPECT_EQ(state(tree), 0);
  EXPECT_EQ(tree_child_names(model(tree), nullptr), (Names{"/", "Home"}));
  gadget_set_text(tree, "/");
  EXPECT_EQ(gadget_get_text(tree), "/");

  GtkTreeIter home_node;
  ASSERT_TRUE(gtk_tree_model_iter_nth_child(model(tree), &home_node, nullptr, 1));
  EXPECT_TRUE(tree_node_unread(model(tree), &home_node));
  gtk_tree_selection_select_iter(gtk_tree_view_get_selection(view(tree)), &home_node);
  EXPECT_EQ(gadget_get_text(tree), scratch_.path() + "me/");
  EXPECT_EQ(state(tree), 2);
  GtkTreePath* path = gtk_tree_model_get_path(model(tree), &home_node);
  gtk_tree_view_expand_row(view(tree), path, FALSE);
  gtk_tree_path_free(path);
  EXPECT_EQ(tree_child_names(model(tree), &home_node), Names{"projects"});

  gadget_set_text(tree, home);
  GtkTreeIter selected;
  ASSERT_TRUE(tree_selected(view(tree), &selected));
  path = gtk_tree_model_get_path(model(tree), &selected);
  EXPECT_EQ(gtk_tree_path_get_indices(path)[0], 0);  // below the root, not below home
  gtk_tree_path_free(path);

  EXPECT_EQ(tree_child_names(model(create("/", kMainFlags | EXPLORER_HIDE_HOME)), nullptr),
            Names{"/"});
  HomeVariable unset(nullptr);
  EXPECT_EQ(tree_child_names(model(create("/", kMainFlags)), nullptr), Names{"/"});
}

TEST_F(ExplorerTree, PathsAreWalkedAsFarAsTheTreeGoesAndPatternsApplyLater) {
  const std::string a = scratch_.directory("a");
  const std::string b = scratch_.directory("a/b");
  scratch_.file("a/b/game.tzx");
  scratch_.file("a/b/notes.txt");
  scratch_.file("a/game.tzx");
  scratch_.file("c/game.tzx");
  scratch_.file("c/notes.txt");
  const ObjectNumber tree = create(a, EXPLORER_SORT_BY_NAME);

  gadget_set_text(tree, a + "nosuchdir/x/");
  EXPECT_EQ(gadget_get_text(tree), a);
  gadget_set_text(tree, a + "/b/");  // an empty component ends the walk
  EXPECT_EQ(gadget_get_text(tree), a);
  gadget_set_text(tree, "a/b/");  // relative: no further than the root
  EXPECT_EQ(gadget_get_text(tree), "/");
  gadget_set_text(tree, a + "b");  // no final "/"
  EXPECT_EQ(gadget_get_text(tree), b);
  EXPECT_EQ(children(tree, b), (Names{"game.tzx", "notes.txt"}));
  gadget_set_text(tree, a + "game.tzx");
  EXPECT_EQ(gadget_get_text(tree), a + "game.tzx");  // a file's path: no final "/"
  EXPECT_EQ(state(tree), 1);

  // A pattern list applies to directories read from now on.
  gadget_set_text(tree, scratch_.path() + "c/*.txt");
  EXPECT_EQ(gadget_get_text(tree), scratch_.path() + "c/");
  EXPECT_EQ(children(tree, scratch_.path() + "c/"), Names{"notes.txt"});
  EXPECT_EQ(children(tree, b), (Names{"game.tzx", "notes.txt"}));
}

TEST_F(ExplorerTree, HiddenDirectoriesAreLeftOutUnlessShown) {
  scratch_.directory("h/.secret/inner");
  scratch_.directory("only_hidden/.x");
  const std::string through_hidden = scratch_.path() + "h/.secret/inner/";

  const ObjectNumber plain = create(through_hidden, kMainFlags);
  EXPECT_EQ(gadget_get_text(plain), scratch_.path() + "h/");
  EXPECT_FALSE(expandable(plain, scratch_.path() + "only_hidden/"));

  const ObjectNumber shown = create(through_hidden, kMainFlags | EXPLORER_SHOW_HIDDEN);
  EXPECT_EQ(gadget_get_text(shown), through_hidden);
  EXPECT_TRUE(expandable(shown, scratch_.path() + "only_hidden/"));
}

TEST_F(ExplorerTree, FilesAreShownUnlessHiddenAndSortedAfterDirectories) {
  const std::string s = scratch_.directory("s");
  for (const char* name : {"zeta", "alpha", "Mid"}) scratch_.directory(std::string("s/") + name);
  scratch_.file("s/only_files/f.tzx");
  scratch_.file("s/b.txt");
  scratch_.file("s/a.txt");

  const ObjectNumber main_tree = create(s, kMainFlags);
  EXPECT_EQ(children(main_tree, s), (Names{"Mid", "alpha", "only_files", "zeta"}));
  EXPECT_FALSE(expandable(main_tree, s + "only_files/"));

  const ObjectNumber with_files = create(s, EXPLORER_SORT_BY_NAME);
  EXPECT_EQ(children(with_files, s),
            (Names{"Mid", "alpha", "only_files", "zeta", "a.txt", "b.txt"}));
  EXPECT_TRUE(expandable(with_files, s + "only_files/"));
}

TEST_F(ExplorerTree, NamesKeepTheirBytesInPathsAndAreShownAsValidUtf8) {
  const std::string latin1 = scratch_.directory("caf\xe9/inner");
  const std::string utf8 = scratch_.directory("j\xc3\xbcrgen");
  // Program strings are read as ISO-8859-15 on their way in; both the
  // ISO-8859-1 name and the UTF-8 one (getcwd's bytes) still lead to the node.
  const ObjectNumber tree = create(utf8, kMainFlags);
  GtkTreeIter selected;
  ASSERT_TRUE(tree_selected(view(tree), &selected));
  EXPECT_EQ(explorer_tree_node_path(view(tree), &selected), utf8);
  gadget_set_text(tree, latin1);
  ASSERT_TRUE(tree_selected(view(tree), &selected));
  EXPECT_EQ(explorer_tree_node_path(view(tree), &selected), latin1);
  EXPECT_EQ(explorer_tree_selected_path(tree), latin1);
  for (const std::string& name : children(tree, scratch_.path()))
    EXPECT_TRUE(g_utf8_validate(name.c_str(), -1, nullptr)) << name;

  // The exact bytes the tree hands out lead back to the node.
  gadget_set_text(tree, "/");
  explorer_tree_set_path(tree, latin1);
  EXPECT_EQ(explorer_tree_selected_path(tree), latin1);
  EXPECT_EQ(explorer_tree_selected_path(0), "");  // no such gadget
}

TEST_F(ExplorerTree, UnreadableDanglingAndLoopingEntriesNeitherBreakNorHang) {
  const std::string t = scratch_.directory("t");
  scratch_.directory("t/locked/sub");
  chmod((t + "locked").c_str(), 0);
  scratch_.link("nowhere", "t/dangling");
  scratch_.link("self", "t/self");
  scratch_.link("..", "t/up");
  scratch_.directory("t/vanishing/inner");
  const ObjectNumber tree = create(t, kMainFlags);
  EXPECT_EQ(children(tree, t), (Names{"locked", "up", "vanishing"}));
  if (geteuid() != 0) {  // root opens anything
    EXPECT_FALSE(expandable(tree, t + "locked/"));
    gadget_set_text(tree, t + "locked/sub/");
    EXPECT_EQ(gadget_get_text(tree), t + "locked/");
  }
  // Gone by the time it is read: no children, no expander.
  ASSERT_EQ(system(("rm -r '" + t + "vanishing'").c_str()), 0);
  gadget_set_text(tree, t + "vanishing/inner/");
  EXPECT_EQ(gadget_get_text(tree), t + "vanishing/");
  EXPECT_FALSE(expandable(tree, t + "vanishing/"));

  // A link back to a parent is read only as far as it is walked.
  const std::string looped = t + "up/t/up/t/up/t/";
  gadget_set_text(tree, looped);
  EXPECT_EQ(gadget_get_text(tree), looped);
  EXPECT_TRUE(unread(tree, looped + "up/"));
}

TEST_F(ExplorerTree, AttributesRebuildTheTreeAndKeepTheSelection) {
  HomeVariable variable(scratch_.path().c_str());
  const std::string a = scratch_.directory("a");
  scratch_.directory("a/.hidden");
  scratch_.file("a/file.tzx");
  const ObjectNumber tree = create(a, kMainFlags | EXPLORER_HIDE_DIRECTORIES);
  GadgetRecord* record = gadget_find(tree);
  const GadgetType* type = record->type;
  for (int set : {2, 4, 8})  // hide files, inert, sort by name
    EXPECT_EQ(type->get_attribute(record, set), 1) << set;
  // Not set: hide home, show hidden; 32 is set but no attribute, and hiding
  // directories is dropped at creation.
  for (int clear : {1, 0x40000, 32, 128})
    EXPECT_EQ(type->get_attribute(record, clear), 0) << clear;

  type->set_attribute(record, EXPLORER_SHOW_HIDDEN, 1);
  EXPECT_EQ(gadget_get_text(tree), a);
  EXPECT_EQ(children(tree, a), Names{".hidden"});
  type->set_attribute(record, EXPLORER_HIDE_FILES, 0);
  EXPECT_EQ(children(tree, a), (Names{".hidden", "file.tzx"}));
  type->set_attribute(record, EXPLORER_HIDE_HOME, 1);
  EXPECT_EQ(tree_child_names(model(tree), nullptr), Names{"/"});
  EXPECT_EQ(gadget_get_text(tree), a);
  type->set_attribute(record, 32, 0);
  EXPECT_EQ(type->get_attribute(record, EXPLORER_HIDE_HOME), 1);
}

}  // namespace
