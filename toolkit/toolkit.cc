// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/toolkit.h"

#include <gtk/gtk.h>

namespace {

int saved_argc = 0;
char** saved_argv = nullptr;
bool gtk_initialised = false;

}  // namespace

void toolkit_save_arguments(int argc, char** argv) {
  saved_argc = argc;
  saved_argv = argv;
}

void toolkit_init() {
  if (gtk_initialised) return;
  if (saved_argv != nullptr) {
    gtk_init(&saved_argc, &saved_argv);
  } else {
    gtk_init(nullptr, nullptr);
  }
  gtk_initialised = true;
}
