// SPDX-License-Identifier: GPL-3.0-or-later
// The editor gadget: a GtkTextView in a GtkScrolledWindow, seen by the
// application as a list of lines.
#include "gadgets/editor.h"

#include <gtk/gtk.h>

#include <string>

#include "gadgets/explorer_common.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"

namespace {

// Read-only state, the editor's only attribute.
constexpr int kEditorAttributeReadOnly = 1;
// The mark at the end of the text that the log keeps in view.
constexpr char kEditorKeyEndMark[] = "tq_end";

// The view's lines added by editor_add_file_line that wait for GTK's next
// turn, each after a line break: a std::string, owned by the view. Empty
// when none waits, even if an empty line was added.
constexpr char kEditorKeyPending[] = "tq_pending_lines";

GtkTextBuffer* editor_buffer(GadgetRecord* record) {
  return gtk_text_view_get_buffer(GTK_TEXT_VIEW(record->widget));
}

// Takes over a UTF-8 copy that GTK allocated.
std::string take_gtk_text(gchar* text) {
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

// Puts a line into the text: the line break goes in only when there is text
// before it, so the text never starts or ends with a break of its own making.
// A position inside the text (0 to count - 1) inserts the line before that
// line; any other position appends.
void editor_insert_line(GadgetRecord* record, int position, const char* utf8) {
  GtkTextBuffer* buffer = editor_buffer(record);
  const bool has_text = gtk_text_buffer_get_char_count(buffer) > 0;
  GtkTextIter iter;
  if (has_text && position >= 0 && position < gtk_text_buffer_get_line_count(buffer)) {
    gtk_text_buffer_get_iter_at_line(buffer, &iter, position);
    gtk_text_buffer_insert(buffer, &iter, utf8, -1);
    gtk_text_buffer_insert(buffer, &iter, "\n", 1);
    return;
  }
  gtk_text_buffer_get_end_iter(buffer, &iter);
  if (has_text) gtk_text_buffer_insert(buffer, &iter, "\n", 1);
  gtk_text_buffer_insert(buffer, &iter, utf8, -1);
}

std::string* editor_pending_lines(GadgetRecord* record) {
  return static_cast<std::string*>(g_object_get_data(G_OBJECT(record->widget), kEditorKeyPending));
}

// Puts the lines that wait into the text, in one insertion. Every handler
// calls it first, so the program always sees every line it added.
void editor_settle(GadgetRecord* record) {
  std::string* pending = editor_pending_lines(record);
  if (pending == nullptr || pending->empty()) return;
  editor_insert_line(record, -1, pending->c_str() + 1);
  pending->clear();
}

const GadgetType* editor_type();

// GTK's next turn after lines were added (a pump of a long batch, or the
// loop): the lines go in and the end of the text comes into view, by a mark
// that stays behind whatever is appended. Takes the gadget's number: the
// editor may be gone by then.
gboolean editor_show_added_lines(gpointer number) {
  GadgetRecord* record = gadget_find(reinterpret_cast<ObjectNumber>(number));
  if (!record || record->type != editor_type()) return FALSE;
  editor_settle(record);
  GtkTextBuffer* buffer = editor_buffer(record);
  GtkTextMark* end = gtk_text_buffer_get_mark(buffer, kEditorKeyEndMark);
  if (end == nullptr) {
    GtkTextIter iter;
    gtk_text_buffer_get_end_iter(buffer, &iter);
    end = gtk_text_buffer_create_mark(buffer, kEditorKeyEndMark, &iter, FALSE);
  }
  gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(record->widget), end);
  return FALSE;
}

std::string editor_get_text(GadgetRecord* record) {
  editor_settle(record);
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(editor_buffer(record), &start, &end);
  return take_gtk_text(gtk_text_buffer_get_text(editor_buffer(record), &start, &end, TRUE));
}

void editor_set_text(GadgetRecord* record, const char* utf8) {
  editor_settle(record);
  gtk_text_buffer_set_text(editor_buffer(record), utf8, -1);
}

int editor_add_item(GadgetRecord* record, int position, const char* utf8, GdkPixbuf*) {
  editor_settle(record);
  editor_insert_line(record, position, utf8);
  return 0;
}

void editor_clear_items(GadgetRecord* record) {
  editor_settle(record);
  gtk_text_buffer_set_text(editor_buffer(record), "", -1);
}

int editor_count_items(GadgetRecord* record) {
  editor_settle(record);
  return gtk_text_buffer_get_line_count(editor_buffer(record));
}

std::string editor_get_item_text(GadgetRecord* record, int line, int) {
  editor_settle(record);
  GtkTextBuffer* buffer = editor_buffer(record);
  if (line < 0 || line >= gtk_text_buffer_get_line_count(buffer)) return std::string();
  GtkTextIter start;
  gtk_text_buffer_get_iter_at_line(buffer, &start, line);
  GtkTextIter end = start;
  if (!gtk_text_iter_ends_line(&end)) gtk_text_iter_forward_to_line_end(&end);
  return take_gtk_text(gtk_text_iter_get_text(&start, &end));
}

int editor_get_attribute(GadgetRecord* record, int attribute) {
  if (attribute != kEditorAttributeReadOnly) return 0;
  return gtk_text_view_get_editable(GTK_TEXT_VIEW(record->widget)) ? 0 : 1;
}

void editor_set_attribute(GadgetRecord* record, int attribute, int value) {
  if (attribute != kEditorAttributeReadOnly) return;
  gtk_text_view_set_editable(GTK_TEXT_VIEW(record->widget), value == 0);
}

const GadgetType* editor_type() {
  static const GadgetType type = [] {
    GadgetType t{};
    t.record_size = sizeof(GadgetRecord);
    t.type_number = TYPE_EDITOR;
    t.get_text = editor_get_text;
    t.set_text = editor_set_text;
    t.add_item = editor_add_item;
    t.clear_items = editor_clear_items;
    t.count_items = editor_count_items;
    t.get_item_text = editor_get_item_text;
    t.set_font = gadget_shared_set_font;
    t.get_attribute = editor_get_attribute;
    t.set_attribute = editor_set_attribute;
    t.set_colour = gadget_shared_set_colour;
    t.get_colour = gadget_shared_get_colour;
    t.get_font = gadget_shared_get_font;
    return t;
  }();
  return &type;
}

GtkWidget* editor_scroller_new(GtkWidget* view) {
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_ETCHED_IN);
  gtk_container_add(GTK_CONTAINER(scroller), view);
  return scroller;
}

}  // namespace

ObjectNumber editor_create(ObjectNumber number, int x, int y, int width, int height, int flags) {
  const GadgetType* type = editor_type();
  GtkWidget* view = gtk_text_view_new();
  ObjectNumber gadget = 0;
  GadgetRecord* record = gadget_record_start(number, view, &gadget);
  if (!record) return 0;
  GtkWidget* scroller = editor_scroller_new(view);
  gadget_place(scroller, x, y, width, height);
  gtk_widget_show_all(scroller);
  record->widget = view;
  record->outer = scroller;
  record->type = type;
  gadget_register(record, gadget);
  if (flags & EDITOR_READ_ONLY) gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
  g_signal_connect(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), "changed", G_CALLBACK(editor_changed),
                   view);
  return gadget_creator_result(number, gadget);
}

void editor_changed(GtkTextBuffer*, GtkWidget* view) {
  post_event(EVENT_GADGET, widget_gadget_number(view), widget_window_number(view), GADGET_EVENT_DEFAULT);
}

void editor_add_file_line(ObjectNumber editor, const std::string& bytes) {
  GadgetRecord* record = gadget_find(editor);
  if (!record || record->type != editor_type()) return;
  // A batch adds thousands of lines between two redraws: they wait and go
  // in together, ahead of anything else GTK does next, and the view scrolls
  // once. Each insertion of its own would cost signals, an event and a
  // scroll request per line.
  std::string* pending = editor_pending_lines(record);
  if (pending == nullptr) {
    pending = new std::string;
    g_object_set_data_full(G_OBJECT(record->widget), kEditorKeyPending, pending,
                           [](gpointer lines) { delete static_cast<std::string*>(lines); });
  }
  if (pending->empty()) {
    g_idle_add_full(G_PRIORITY_HIGH, editor_show_added_lines, reinterpret_cast<gpointer>(editor), nullptr);
  }
  *pending += '\n';
  *pending += explorer_display_name(bytes.c_str());
}
