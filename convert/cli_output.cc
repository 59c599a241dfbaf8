// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/cli_output.h"

#include <poll.h>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t OUTPUT_BUFFER_SIZE = 1 << 16;
// Short enough that no one watching the output or stopping the run can tell
// it from a write per file; long enough that a folder of small tapes costs
// the reader one wake-up per dozens of files.
constexpr Clock::duration PIPE_WRITE_INTERVAL = std::chrono::milliseconds(5);

bool output_paced = false;
Clock::time_point last_write;

bool output_goes_to_a_reader() {
  struct stat status;
  return fstat(STDOUT_FILENO, &status) == 0 && (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode));
}

// A pipe whose reader has closed its end polls as an error, a socket as
// hung up; neither takes a write.
bool output_reader_gone() {
  pollfd output = {STDOUT_FILENO, POLLOUT, 0};
  return poll(&output, 1, 0) == 1 && (output.revents & (POLLERR | POLLHUP)) != 0;
}

// Whether what is held back may wait for a later write: into a file or a
// terminal nothing waits.
bool output_may_wait() { return output_paced && Clock::now() - last_write < PIPE_WRITE_INTERVAL; }

}  // namespace

void cli_output_begin() {
  static char buffer[OUTPUT_BUFFER_SIZE];
  if (isatty(STDOUT_FILENO)) return;
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  output_paced = output_goes_to_a_reader();
}

bool cli_output_file_done() {
  if (output_may_wait() && !output_reader_gone()) return !std::ferror(stdout);
  return cli_output_flush();
}

void cli_output_pace() {
  if (output_paced && __fpending(stdout) > 0 && !output_may_wait()) cli_output_flush();
}

bool cli_output_flush() {
  const bool written = std::fflush(stdout) == 0 && !std::ferror(stdout);
  last_write = Clock::now();
  return written;
}
