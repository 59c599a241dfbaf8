// SPDX-License-Identifier: GPL-3.0-or-later
#include "gadgets/explorer_tree.h"

#include <cstdlib>

#include "tests/support/explorer_fixture.h"

class ExplorerTree : public ExplorerTest {
 protected:
  void TearDown() override {
    ExplorerTest::TearDown();
    set_home(home_.empty() ? nullptr : home_.c_str());
  }
  static void set_home(const char* value) { value ? setenv("HOME", value, 1) : unsetenv("HOME"); }
  static int state(ObjectNumber tree) { return gadget_find(tree)->type->get_state(gadget_find(tree)); }

  const std::string home_ = std::getenv("HOME") ? std::getenv("HOME") : "";
};

TEST_F(ExplorerTree, CreationReadsAlongTheStartPathOnlyAndSelectsItsNode) {
  const std::string deep = scratch_.make_directory("home/user/work");
  scratch_.make_directory("home/other/inside");
  const ObjectNumber at_deep = tree(deep, MAIN_TREE_FLAGS);
  EXPECT_EQ(gadget_get_text(at_deep), deep);
  EXPECT_EQ(state(at_deep), 2);
  EXPECT_EQ(children(at_deep, scratch_.path() + "home/user/"), Names{"work"});
  EXPECT_TRUE(unread(at_deep, scratch_.path() + "home/other/"));  // off the path
}

TEST_F(ExplorerTree, TextIsEmptyForNothingAndNamesRootAndHomeWhileThereIsAHome) {
  scratch_.make_directory("me");
  set_home((scratch_.path() + "me").c_str());  // no final "/"
  const ObjectNumber with_home = tree("*.tzx", MAIN_TREE_FLAGS);  // patterns only: no selection
  EXPECT_EQ(gadget_get_text(with_home), "");
  EXPECT_EQ(children(with_home, ""), (Names{"/", "Home"}));
  gadget_set_text(with_home, "/");
  EXPECT_EQ(gadget_get_text(with_home), "/");
  GtkTreeIter home;
  ASSERT_TRUE(gtk_tree_model_iter_nth_child(model(with_home), &home, nullptr, 1));
  gtk_tree_selection_select_iter(gtk_tree_view_get_selection(view(with_home)), &home);
  EXPECT_EQ(gadget_get_text(with_home), scratch_.path() + "me/");
  set_home(nullptr);
  EXPECT_EQ(children(tree("/", MAIN_TREE_FLAGS), ""), Names{"/"});
}

TEST_F(ExplorerTree, PathsAreWalkedAsFarAsTheTreeGoes) {
  const std::string a = scratch_.file("a/");
  scratch_.make({"a/b/"});
  const ObjectNumber dirs = tree(a, EXPLORER_SORT_BY_NAME);
  gadget_set_text(dirs, a + "nosuchdir/x/");
  EXPECT_EQ(gadget_get_text(dirs), a);
  gadget_set_text(dirs, a + "b");
  EXPECT_EQ(gadget_get_text(dirs), a + "b/");
}

TEST_F(ExplorerTree, HiddenDirectoriesShowOnlyWhenAskedAndOnlyFilesGiveNoExpander) {
  scratch_.make({"h/.secret/inner/", "h/only_files/f.tzx"});
  const std::string hidden = scratch_.path() + "h/.secret/inner/";
  EXPECT_EQ(gadget_get_text(tree(hidden, MAIN_TREE_FLAGS)), scratch_.path() + "h/");
  EXPECT_EQ(gadget_get_text(tree(hidden, MAIN_TREE_FLAGS | EXPLORER_SHOW_HIDDEN)), hidden);
  EXPECT_FALSE(expandable(tree(scratch_.path() + "h/", MAIN_TREE_FLAGS), scratch_.path() + "h/only_files/"));
}
