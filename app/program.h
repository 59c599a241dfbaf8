// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_APP_PROGRAM_H_
#define OSTRELM_APP_PROGRAM_H_

#include <string>

#include "app/main_window.h"

// Program-wide values, fixed for the life of the process.
constexpr char PROGRAM_VERSION_TEXT[] = "0.13";
constexpr char PROGRAM_TITLE_PREFIX[] = "Nib_";
constexpr char PROGRAM_CREDIT_TEXT[] = " by the Ostrelm developers";
// The name the icon is installed under in the desktop's icon theme.
constexpr char PROGRAM_ICON_NAME[] = "org.ostrelm.Ostrelm";

// The window title: the prefix, "Ostrelm v. ", the version, the credit text.
std::string program_title();

// Brings the layers up in order (files, GTK with the process's arguments,
// events, windows, gadgets), sets the program-wide values and opens the
// filled main window in the working directory.
MainWindow program_start(int argc, char** argv);

// Closes the window with every gadget, then every file still open.
void program_shut_down();

#endif  // OSTRELM_APP_PROGRAM_H_
