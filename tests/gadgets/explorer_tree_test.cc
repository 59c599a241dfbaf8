#include "gadgets/explorer_tree.h"

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "gadgets/explorer_common.h"
#include "tests/support/explorer_fixture.h"
#include "tests/support/x_test_util.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

class ExplorerTree : public ExplorerTest {
 protected:
  void TearDown() override {
    ExplorerTest::TearDown();
    had_home_ ? setenv("HOME", home_.c_str(), 1) : unsetenv("HOME");
  }
  void set_home(const char* value) { value ? setenv("HOME", value, 1) : unsetenv("HOME"); }
  int state(ObjectNumber tree) { return gadget_find(tree)->type->get_state(gadget_find(tree)); }

  const bool had_home_ = std::getenv("HOME") != nullptr;
  const std::string home_ = had_home_ ? std::getenv("HOME") : "";
};

TEST_F(ExplorerTree, CreationReadsAlongTheStartPathOnlyAndSelectsItsNode) {
  const std::string deep = scratch_.make_directory("home/user/work");
  scratch_.make_directory("home/other/inside");
  const ObjectNumber at_deep = tree(deep, MAIN_TREE_FLAGS);
  EXPECT_EQ(gadget_get_text(at_deep), deep);
  EXPECT_EQ(state(at_deep), 2);
  EXPECT_EQ(children(at_deep, scratch_.path() + "home/user/"), Names{"work"});
  EXPECT_TRUE(unread(at_deep, scratch_.path() + "home/other/"));  // off the path
  EXPECT_FALSE(expandable(at_deep, deep));                        // empty
}

TEST_F(ExplorerTree, TextIsEmptyForNothingAndNamesRootAndHome) {
  const std::string projects = scratch_.make_directory("me/projects");
  set_home((scratch_.path() + "me").c_str());  // no final "/"
  const ObjectNumber with_home = tree("*.tzx", MAIN_TREE_FLAGS);  // patterns only: no selection
  EXPECT_EQ(gadget_get_text(with_home), "");
  EXPECT_EQ(state(with_home), 0);
  EXPECT_EQ(children(with_home, ""), (Names{"/", "Home"}));
  gadget_set_text(with_home, "/");
  EXPECT_EQ(gadget_get_text(with_home), "/");
  GtkTreeIter selected;
  ASSERT_TRUE(gtk_tree_model_iter_nth_child(model(with_home), &selected, nullptr, 1));
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view(with_home));
  gtk_tree_selection_select_iter(selection, &selected);
  EXPECT_EQ(gadget_get_text(with_home), scratch_.path() + "me/");
  // A path below home is walked from the root node, not from home.
  gadget_set_text(with_home, projects);
  ASSERT_TRUE(gtk_tree_selection_get_selected(selection, nullptr, &selected));
  GtkTreePath* path = gtk_tree_model_get_path(model(with_home), &selected);
  EXPECT_EQ(gtk_tree_path_get_indices(path)[0], 0);
  gtk_tree_path_free(path);

  EXPECT_EQ(children(tree("/", MAIN_TREE_FLAGS | EXPLORER_HIDE_HOME), ""), Names{"/"});
  set_home(nullptr);
  EXPECT_EQ(children(tree("/", MAIN_TREE_FLAGS), ""), Names{"/"});
}

TEST_F(ExplorerTree, PathsAreWalkedAsFarAsTheTreeGoesAndPatternsApplyLater) {
  const std::string a = scratch_.file("a/"), b = scratch_.file("a/b/");
  scratch_.make({"a/b/game.tzx", "a/b/notes.txt", "a/game.tzx", "c/notes.txt"});
  const ObjectNumber files = tree(a, EXPLORER_SORT_BY_NAME);
  const std::vector<std::pair<std::string, std::string>> walks = {
      {a + "nosuchdir/x/", a},           // leaves the tree part way
      {a + "/b/", a},                    // an empty component ends the walk
      {"a/b/", "/"},                     // relative: no further than the root
      {a + "b", b},                      // no final "/"
      {a + "game.tzx", a + "game.tzx"},  // a file's path: no final "/"
  };
  for (const auto& [text, expected] : walks) {
    gadget_set_text(files, text);
    EXPECT_EQ(gadget_get_text(files), expected) << text;
  }
  EXPECT_EQ(state(files), 1);
  // A pattern list applies to directories read from now on.
  gadget_set_text(files, scratch_.path() + "c/*.txt;*.tzx");
  EXPECT_EQ(gadget_get_text(files), scratch_.path() + "c/");
  EXPECT_EQ(children(files, b), (Names{"game.tzx", "notes.txt"}));
}

TEST_F(ExplorerTree, HiddenDirectoriesAndFilesShowOnlyWhenAsked) {
  scratch_.make({"h/.secret/inner/", "only_hidden/.x/"});
  const std::string through_hidden = scratch_.path() + "h/.secret/inner/";
  EXPECT_EQ(gadget_get_text(tree(through_hidden, MAIN_TREE_FLAGS)), scratch_.path() + "h/");
  const ObjectNumber shown = tree(through_hidden, MAIN_TREE_FLAGS | EXPLORER_SHOW_HIDDEN);
  EXPECT_EQ(gadget_get_text(shown), through_hidden);
  EXPECT_TRUE(expandable(shown, scratch_.path() + "only_hidden/"));

  const std::string s = scratch_.file("s/");
  scratch_.make({"s/zeta/", "s/alpha/", "s/Mid/", "s/only_files/f.tzx", "s/b.txt"});
  const ObjectNumber dirs = tree(s, MAIN_TREE_FLAGS);
  EXPECT_EQ(children(dirs, s), (Names{"Mid", "alpha", "only_files", "zeta"}));
  EXPECT_FALSE(expandable(dirs, s + "only_files/"));  // holds only files
  // Changing an attribute rebuilds the tree around the selection.
  GadgetRecord* record = gadget_find(dirs);
  record->type->set_attribute(record, EXPLORER_HIDE_FILES, 0);
  EXPECT_EQ(gadget_get_text(dirs), s);
  EXPECT_EQ(children(dirs, s), (Names{"Mid", "alpha", "only_files", "zeta", "b.txt"}));
  EXPECT_TRUE(expandable(dirs, s + "only_files/"));
}

TEST_F(ExplorerTree, ClicksArePostedOnReleaseAndExpandingReadsOneLevel) {
  scratch_.make({"a/", "x/y/", "l/d/"});
  scratch_.make_link("..", "l/up");
  const ObjectNumber dirs = tree(scratch_.path(), MAIN_TREE_FLAGS);
  GtkWidget* widget = GTK_WIDGET(view(dirs));
  ASSERT_TRUE(x_test_wait_mapped(widget));
  int x = 0, y = 0;
  row_point(dirs, node(dirs, scratch_.path() + "a/"), false, &x, &y);
  const std::vector<std::pair<std::function<void()>, std::vector<int>>> gestures = {
      {[&] { x_test_click(widget, x, y, 1); }, {0}},
      {[&] { x_test_double_click(widget, x, y, 1); }, {0, 0, 2}},
      {[&] { x_test_double_click(widget, x, y, 3); }, {1, 1, 3}},
      {[&] { x_test_click(widget, x, y, 2); }, {}},
      // The last press decides what its release reports: the right button's
      // press takes over the left one's, whose release then reports nothing.
      {[&] {
         x_test_move_pointer(widget, x, y);
         for (const auto& [button, press] : {std::pair{1, true}, {3, true}, {3, false}, {1, false}})
           x_test_button(button, press);
       },
       {1}},
  };
  for (const auto& [input, expected] : gestures) {
    x_test_pump_for(600);  // longer than the double-click time: gestures stay apart
    event_test_drain();
    input();
    EXPECT_EQ(clicks(dirs, event_test_drain()), expected);
  }
  EXPECT_EQ(gadget_get_text(dirs), scratch_.path() + "a/");

  ASSERT_TRUE(unread(dirs, scratch_.path() + "x/"));
  row_point(dirs, node(dirs, scratch_.path() + "x/"), true, &x, &y);
  x_test_click(widget, x, y, 1);
  EXPECT_EQ(children(dirs, scratch_.path() + "x/"), Names{"y"});
  // "Expand all" below a link back to a parent ends: what lies below the new
  // children waits for its own expansion.
  GtkTreeIter l = node(dirs, scratch_.path() + "l/");
  GtkTreePath* path = gtk_tree_model_get_path(model(dirs), &l);
  gtk_tree_view_set_cursor(view(dirs), path, nullptr, FALSE);
  gtk_tree_path_free(path);
  ASSERT_TRUE(x_test_focus(widget));
  gtk_widget_grab_focus(widget);
  x_test_key(GDK_KEY_KP_Multiply);
  x_test_pump();
  EXPECT_EQ(children(dirs, scratch_.path() + "l/"), (Names{"d", "up"}));
  EXPECT_TRUE(unread(dirs, scratch_.path() + "l/up/"));
}

}  // namespace
