// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/gadget_list.h"

#include <gtk/gtk.h>

#include "toolkit/window.h"

namespace {

// The stack of enclosing containers is left out: nothing in this program
// nests gadget containers, so only the container itself is saved.
struct GadgetListState {
  GtkWidget* container = nullptr;
  GtkWidget* window = nullptr;
};

// Attached to a window once it has been current, freed with it.
struct GadgetListSave {
  GtkWidget* window;
  GtkWidget* container;
};

constexpr char kSaveKey[] = "tq_gadgetstack";

GadgetListState state;

GadgetListSave* save_of(GtkWidget* widget) {
  return static_cast<GadgetListSave*>(g_object_get_data(G_OBJECT(widget), kSaveKey));
}

void save_free(gpointer data) {
  auto* save = static_cast<GadgetListSave*>(data);
  gadget_list_forget(save->window);
  g_free(save);
}

void find_last_child(GtkWidget* child, gpointer last) { *static_cast<GtkWidget**>(last) = child; }

// A window that did not come from window_open gets a gadget list on demand,
// in the box that it holds (or as its only child).
GtkWidget* window_make_gadget_list(GtkWidget* window) {
  GtkWidget* box = nullptr;
  gtk_container_foreach(GTK_CONTAINER(window), find_last_child, &box);
  // The window is filled by something else: there is no place for gadgets.
  if (box != nullptr && !GTK_IS_BOX(box)) return nullptr;
  GtkWidget* fixed = gtk_fixed_new();
  gtk_fixed_set_has_window(GTK_FIXED(fixed), TRUE);
  gtk_widget_show(fixed);
  if (box != nullptr) {
    gtk_box_pack_start(GTK_BOX(box), fixed, TRUE, TRUE, 0);
  } else {
    gtk_container_add(GTK_CONTAINER(window), fixed);
  }
  g_object_set_data(G_OBJECT(window), WINDOW_KEY_GADGET_LIST, fixed);
  return fixed;
}

GtkWidget* container_for(GtkWidget* widget) {
  if (!GTK_IS_WINDOW(widget)) return widget;
  auto* fixed = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(widget), WINDOW_KEY_GADGET_LIST));
  return fixed != nullptr ? fixed : window_make_gadget_list(widget);
}

}  // namespace

GtkWidget* gadget_list_use(GtkWidget* widget) {
  GtkWidget* previous = state.window;
  if (widget == nullptr) return previous;
  if (previous != nullptr) {
    if (GadgetListSave* save = save_of(previous)) save->container = state.container;
  }
  GtkWidget* container = container_for(widget);
  if (GadgetListSave* save = save_of(widget)) {
    state.container = save->container;
  } else {
    state.container = container;
    save = g_new0(GadgetListSave, 1);
    save->window = widget;
    save->container = container;
    g_object_set_data_full(G_OBJECT(widget), kSaveKey, save, save_free);
  }
  state.window = widget;
  return previous;
}

GtkWidget* gadget_list_container() { return state.container; }

GtkWidget* gadget_list_window() { return state.window; }

void gadget_list_forget(GtkWidget* widget) {
  if (widget == nullptr || state.window != widget) return;
  state.window = nullptr;
  state.container = nullptr;
}
