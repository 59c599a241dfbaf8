// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up and memory baseline of the window benchmark: the least a
// GTK+ 2 program does to put an empty window of the main window's size on the
// screen, centred and resizable, and wait in GTK's loop until it is closed.
// Arguments: the title, and optionally one line of text for a label that
// fills the window (what the first drawn text costs, seen on its own).
#include <gtk/gtk.h>

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), argc > 1 ? argv[1] : "Ostrelm baseline window");
  gtk_window_set_default_size(GTK_WINDOW(window), 1021, 700);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  if (argc > 2) gtk_container_add(GTK_CONTAINER(window), gtk_label_new(argv[2]));
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
