// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_EXPLORER_TREE_H_
#define OSTRELM_GADGETS_EXPLORER_TREE_H_

// The explorer tree gadget: the file system as a tree of directories (and,
// unless hidden, files) that starts at the root "/" and, unless hidden, at the
// home directory named by "HOME". A directory is read the first time its node
// is expanded or walked through; until then a placeholder child gives it an
// expander.
//
// Through the generic operations of toolkit/gadget.h:
//   gadget_get_text   full path of the selected node, "" when none is; a
//                     directory's path ends with "/"
//   gadget_set_text   expands the tree along a path and selects the deepest
//                     node found (see explorer_tree_select_path)
// Every selection change posts GADGET_EVENT_CHANGE, every click one of the
// GADGET_EVENT_*_CLICK events, and a drag GADGET_EVENT_DRAG_START.
//
// Paths are the exact bytes of the file system: a name that is not valid
// UTF-8 is shown in a readable form, but the node's path keeps its real bytes.
//
// Flags (gadgets/explorer_common.h): EXPLORER_HIDE_HOME, EXPLORER_HIDE_FILES,
// EXPLORER_SORT_BY_NAME (directories before files, then by name) and
// EXPLORER_SHOW_HIDDEN; EXPLORER_HIDE_DIRECTORIES is dropped, as a tree
// always shows directories.

#include <cstdint>
#include <string>

#include "registry/object_number.h"

typedef struct _GtkTreeIter GtkTreeIter;
typedef struct _GtkTreeView GtkTreeView;

// Creates a tree at (x, y), width x height, in the current gadget container,
// and selects the path `text` (a program string). Returns the new gadget
// number for -1, the tree view handle for an explicit number, 0 on failure.
ObjectNumber explorer_tree_create(ObjectNumber number, int x, int y, int width, int height,
                                  const std::string& text, std::uint32_t flags = 0);

// explorer_tree_create with the path in the file system's bytes instead of a
// program string: a directory whose name holds characters beyond ASCII is
// selected as it is on disk.
ObjectNumber explorer_tree_create_at(ObjectNumber number, int x, int y, int width, int height,
                                     const std::string& path, std::uint32_t flags);

// gadget_get_text without the conversion into a program string: the path of
// the selected node in the file system's bytes, which opens the directory
// whatever characters its name holds (explorer_list_set_path takes it). ""
// when nothing is selected or the number names no explorer tree.
std::string explorer_tree_selected_path(ObjectNumber tree);

// gadget_set_text with a text in the file system's bytes instead of a
// program string. Nothing happens when the number names no explorer tree.
void explorer_tree_set_path(ObjectNumber tree, const std::string& text);

// Reads the directory of an unread node (one whose first child is the
// placeholder) into child nodes, once. Other nodes are left alone.
void explorer_tree_fill_node(GtkTreeView* view, GtkTreeIter* node);

// Full path of a node as bytes: "/" for the root, "HOME" with a final "/" for
// the home node, the parent's path and the name below them, with a final "/"
// for directories. "" when the path cannot be formed (the home node's
// descendants while "HOME" is not set).
std::string explorer_tree_node_path(GtkTreeView* view, GtkTreeIter* node);

// The set-text operation. `text` is a directory, a path to a file or a
// directory without its final "/", a pattern list, or a directory followed by
// a pattern list (gadgets/directory_scan.h). The pattern list applies to
// directories read from now on. A directory is walked from the root, reading
// and expanding each node on the way, and the deepest node found is selected.
void explorer_tree_select_path(GtkTreeView* view, const std::string& text);

#endif  // OSTRELM_GADGETS_EXPLORER_TREE_H_
