// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/process_signals.h"

#include <csignal>

void process_ignore_write_signals() {
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
}
