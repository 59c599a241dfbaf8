// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/process_signals.h"

#include <signal.h>

#include <csignal>

namespace {

constexpr int TERMINATION_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
sigset_t held_signals;

}  // namespace

void process_ignore_write_signals() {
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
}

void process_hold_termination_signals() {
  sigemptyset(&held_signals);
  for (int signal_number : TERMINATION_SIGNALS) {
    struct sigaction action;
    // Linux keeps a blocked signal pending even while it is ignored.
    if (sigaction(signal_number, nullptr, &action) == 0 && action.sa_handler != SIG_IGN) {
      sigaddset(&held_signals, signal_number);
    }
  }
  sigprocmask(SIG_BLOCK, &held_signals, nullptr);
}

bool process_termination_requested() {
  sigset_t pending;
  if (sigpending(&pending) != 0) return false;
  for (int signal_number : TERMINATION_SIGNALS) {
    if (sigismember(&held_signals, signal_number) == 1 && sigismember(&pending, signal_number) == 1) return true;
  }
  return false;
}

void process_release_termination_signals() { sigprocmask(SIG_UNBLOCK, &held_signals, nullptr); }
