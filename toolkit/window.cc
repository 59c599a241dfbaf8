// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/window.h"

#include <gtk/gtk.h>

#include <memory>

#include "runtime/text_encoding.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget_list.h"
#include "registry/object_table.h"
#include "toolkit/window_signals.h"

namespace {

std::unique_ptr<ObjectTable> window_table;

constexpr int kMinimumResizableSize = 30;

GdkWMDecoration window_decorations(std::uint32_t flags) {
  if (flags & WINDOW_UNDECORATED) return static_cast<GdkWMDecoration>(0);
  int decorations = GDK_DECOR_BORDER | GDK_DECOR_TITLE;
  if (flags & WINDOW_RESIZABLE) decorations |= GDK_DECOR_RESIZEH;
  if (flags & WINDOW_MENU_DECORATION) decorations |= GDK_DECOR_MENU;
  if (flags & WINDOW_MINIMIZE_BUTTON) decorations |= GDK_DECOR_MINIMIZE;
  if (flags & WINDOW_MAXIMIZE_BUTTON) decorations |= GDK_DECOR_MAXIMIZE;
  return static_cast<GdkWMDecoration>(decorations);
}

GdkWMFunction window_functions(std::uint32_t flags) {
  int functions = GDK_FUNC_MOVE | GDK_FUNC_CLOSE;
  if (flags & WINDOW_RESIZABLE) functions |= GDK_FUNC_RESIZE;
  if (flags & WINDOW_MINIMIZE_BUTTON) functions |= GDK_FUNC_MINIMIZE;
  if (flags & WINDOW_MAXIMIZE_BUTTON) functions |= GDK_FUNC_MAXIMIZE;
  return static_cast<GdkWMFunction>(functions);
}

void window_destroyed(GtkWidget* window, gpointer user_data) {
  auto number = reinterpret_cast<ObjectNumber>(user_data);
  gadget_list_forget(window);
  WindowRecord* record = window_find(number);
  // The number may already name another window if this one was ended by
  // something other than window_close; leave that one alone.
  if (record == nullptr || record->window != window) return;
  g_object_unref(record->accelerators);
  object_free(*window_table, number);
}

void window_set_geometry(GtkWidget* window, int x, int y, int width, int height,
                         std::uint32_t flags) {
  gtk_window_set_default_size(GTK_WINDOW(window), width, height);
  window_set_int_data(window, WINDOW_KEY_PREVIOUS_WIDTH, width);
  window_set_int_data(window, WINDOW_KEY_PREVIOUS_HEIGHT, height);
  if (!(flags & WINDOW_CENTERED) && !(x == -1 && y == -1)) {
    gtk_window_move(GTK_WINDOW(window), x, y);
  }
  if (flags & WINDOW_RESIZABLE) {
    gtk_widget_set_size_request(window, kMinimumResizableSize, kMinimumResizableSize);
  } else {
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_widget_set_size_request(window, width, height);
  }
}

// Window managers read these from the realised window's hints.
void window_set_decorations(GtkWidget* window, std::uint32_t flags) {
  gtk_widget_realize(window);
  GdkWindow* gdk_window = gtk_widget_get_window(window);
  gdk_window_set_decorations(gdk_window, window_decorations(flags));
  gdk_window_set_functions(gdk_window, window_functions(flags));
}

void window_build_content(GtkWidget* window, ObjectNumber number) {
  GtkWidget* box = gtk_vbox_new(FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window), box);
  g_object_set_data(G_OBJECT(window), WINDOW_KEY_VBOX, box);
  GtkWidget* gadget_list = gtk_fixed_new();
  // Its own GDK window gives the gadgets a background and the expose events.
  gtk_fixed_set_has_window(GTK_FIXED(gadget_list), TRUE);
  gtk_box_pack_start(GTK_BOX(box), gadget_list, TRUE, TRUE, 0);
  g_object_set_data(G_OBJECT(window), WINDOW_KEY_GADGET_LIST, gadget_list);
  window_connect_expose(gadget_list, number);
  gtk_widget_show_all(box);
}

void window_attach_accelerators(GtkWidget* window, WindowRecord* record) {
  record->accelerators = gtk_accel_group_new();
  g_object_set_data(G_OBJECT(window), WINDOW_KEY_ACCELERATORS, record->accelerators);
  gtk_window_add_accel_group(GTK_WINDOW(window), record->accelerators);
}

// The folder of the running executable; empty if the system does not say.
std::string window_executable_folder() {
  gchar* executable = g_file_read_link("/proc/self/exe", nullptr);
  if (executable == nullptr) return std::string();
  gchar* folder = g_path_get_dirname(executable);
  std::string result(folder);
  g_free(folder);
  g_free(executable);
  return result;
}

}  // namespace

void window_set_default_icon(const std::string& icon_name) {
  GtkIconTheme* theme = gtk_icon_theme_get_default();
  const std::string folder = window_executable_folder();
  // Appended, so that an icon of the user's theme or an installed one wins.
  if (!folder.empty()) {
    gtk_icon_theme_append_search_path(theme, (folder + "/icons").c_str());
    gtk_icon_theme_append_search_path(theme, (folder + "/../share/icons").c_str());
  }
  gtk_window_set_default_icon_name(icon_name.c_str());
}

void window_layer_init() {
  if (!window_table) window_table = object_table_create(sizeof(WindowRecord), 16, window_close);
}

ObjectNumber window_open(ObjectNumber number, int x, int y, int width, int height,
                         const std::string& title, std::uint32_t flags) {
  window_layer_init();
  if (x == WINDOW_IGNORE_POSITION || y == WINDOW_IGNORE_POSITION) x = y = -1;
  const bool dynamic = number == OBJECT_NUMBER_ANY;
  auto* record = static_cast<WindowRecord*>(object_new(*window_table, number));
  if (record == nullptr) return 0;
  if (dynamic) number = object_record_number(record);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (window == nullptr) {
    object_free(*window_table, number);
    return 0;
  }
  gtk_window_set_title(GTK_WINDOW(window), text_to_toolkit(title).get());
  window_set_geometry(window, x, y, width, height, flags);
  window_set_decorations(window, flags);
  if (flags & WINDOW_CENTERED) gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  window_build_content(window, number);
  g_signal_connect(window, "destroy", G_CALLBACK(window_destroyed), reinterpret_cast<gpointer>(number));
  window_connect_signals(window, number);
  g_object_set_data(G_OBJECT(window), WINDOW_KEY_ID, reinterpret_cast<gpointer>(number));
  // No window has been opened since object_new, so the record has not moved.
  record->window = window;
  window_attach_accelerators(window, record);
  record->flags = flags;
  if (flags & WINDOW_START_MAXIMIZED) {
    window_set_state(number, WINDOW_STATE_MAXIMIZED);
  } else if (flags & WINDOW_START_MINIMIZED) {
    window_set_state(number, WINDOW_STATE_MINIMIZED);
  }
  if (!(flags & WINDOW_HIDDEN)) gtk_widget_show(window);
  // The configure and state events of showing become queued events here or
  // at a later dispatch.
  events_flush();
  if (!(flags & WINDOW_KEEP_GADGET_LIST)) gadget_list_use(window);
  return dynamic ? number : reinterpret_cast<ObjectNumber>(window);
}

void window_close(ObjectNumber number) {
  WindowRecord* record = window_find(number);
  if (record == nullptr) return;
  gtk_widget_destroy(record->window);
  events_flush();
  event_queue_remove_window(number);
}

void window_close_all() {
  if (window_table) object_table_free_all(*window_table);
}

int window_width(ObjectNumber number) {
  WindowRecord* record = window_find(number);
  if (record == nullptr) return 0;
  int width = window_int_data(record->window, WINDOW_KEY_PREVIOUS_WIDTH);
  if (width == 0) gtk_window_get_size(GTK_WINDOW(record->window), &width, nullptr);
  return width;
}

int window_height(ObjectNumber number) {
  WindowRecord* record = window_find(number);
  if (record == nullptr) return 0;
  int height = window_int_data(record->window, WINDOW_KEY_PREVIOUS_HEIGHT);
  if (height == 0) gtk_window_get_size(GTK_WINDOW(record->window), nullptr, &height);
  return height;
}

void window_set_state(ObjectNumber number, int state) {
  GtkWidget* window = window_handle(number);
  if (window == nullptr) return;
  if (state == WINDOW_STATE_MAXIMIZED) {
    gtk_window_maximize(GTK_WINDOW(window));
    gtk_window_deiconify(GTK_WINDOW(window));
  } else if (state == WINDOW_STATE_MINIMIZED) {
    gtk_window_iconify(GTK_WINDOW(window));
  } else {
    gtk_window_unmaximize(GTK_WINDOW(window));
    gtk_window_deiconify(GTK_WINDOW(window));
  }
}

WindowRecord* window_find(ObjectNumber number) {
  return window_table ? object_find_record<WindowRecord>(*window_table, number) : nullptr;
}

GtkWidget* window_handle(ObjectNumber number) {
  WindowRecord* record = window_find(number);
  return record != nullptr ? record->window : nullptr;
}

ObjectNumber window_number_of(GtkWidget* window) {
  if (window == nullptr) return -1;
  auto number = reinterpret_cast<ObjectNumber>(g_object_get_data(G_OBJECT(window), WINDOW_KEY_ID));
  return window_handle(number) == window ? number : -1;
}
