// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TOOLKIT_TOOLKIT_H_
#define OSTRELM_TOOLKIT_TOOLKIT_H_

// Start of the GUI toolkit. The process's arguments belong to the toolkit
// alone (the program has no options of its own): main saves them before any
// layer is initialised, and toolkit_init hands them to GTK.

// Keeps argc and argv for toolkit_init. GTK may remove the arguments it
// understands from the saved copy.
void toolkit_save_arguments(int argc, char** argv);

// Initialises GTK with the saved arguments (none if nothing was saved). Only
// the first call does anything.
void toolkit_init();

#endif  // OSTRELM_TOOLKIT_TOOLKIT_H_
