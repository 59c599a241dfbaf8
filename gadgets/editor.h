// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_EDITOR_H_
#define OSTRELM_GADGETS_EDITOR_H_

// The editor gadget: a multi-line text area (a text view in a scrolled
// window) that the application treats as a list of lines. The window's log is
// one, read-only.
//
// Through the generic operations of toolkit/gadget.h:
//   gadget_get_text / gadget_set_text   the whole text
//   gadget_add_item(editor, -1, text)   append a line (a line break goes in
//                                       first only when the text is not empty)
//   gadget_clear_items                  empty the text
//   gadget_count_items                  lines; an empty editor has 1
//   gadget_get_item_text(editor, line)  one line without its break; "" past
//                                       the last line
// Every change of the text, the program's own included, posts an EVENT_GADGET
// with GADGET_EVENT_DEFAULT for the editor.

#include <string>

#include "registry/object_number.h"

typedef struct _GtkTextBuffer GtkTextBuffer;
typedef struct _GtkWidget GtkWidget;

enum EditorFlags : int {
  EDITOR_READ_ONLY = 1,  // the user cannot edit; the program still can
};

// Creates an editor at (x, y), width x height, in the current gadget
// container. Returns the new gadget number for -1, the text view handle for
// an explicit number, 0 on failure.
ObjectNumber editor_create(ObjectNumber number, int x, int y, int width, int height, int flags = 0);

// Appends a line whose text is in the file system's bytes (a file name, or a
// message that begins with a path), shown the way the explorer gadgets show
// names: a name the 8-bit program strings cannot hold (テープ.tzx, or bytes
// that are not UTF-8) still reads as the file list shows it. The editor
// scrolls to keep its newest line in view. Nothing happens when the number
// names no editor.
void editor_add_file_line(ObjectNumber editor, const std::string& bytes);

// "changed" handler of the editor's text buffer (user data: the text view).
void editor_changed(GtkTextBuffer* buffer, GtkWidget* view);

#endif  // OSTRELM_GADGETS_EDITOR_H_
