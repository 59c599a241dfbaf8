// SPDX-License-Identifier: GPL-3.0-or-later
// ostrelm-convert: converts the TZX files named on the command line as the
// window's "Convert > TAP" converts selected rows, and prints the lines the
// window's log would show. No display is needed.
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert/string_ops.h"
#include "convert/tzx_to_tap.h"
#include "runtime/file.h"
#include "runtime/file_names.h"
#include "runtime/process_signals.h"

namespace {

constexpr int EXIT_ALL_CLEAN = 0;
constexpr int EXIT_SOMETHING_SAID = 1;
constexpr int EXIT_USAGE = 2;
constexpr std::size_t OUTPUT_BUFFER_SIZE = 1 << 16;

const char USAGE[] =
    "Usage: ostrelm-convert [--] FILE...\n"
    "Converts each TZX file (extension .tzx in any letter case) into a TAP file\n"
    "beside it. A TAP file that already holds data is never overwritten.\n"
    "Prints each file's messages, then its name. Exit status: 0 when nothing\n"
    "was reported or passed over, 1 otherwise, 2 for a usage error.\n";

// Thousands of files give thousands of lines: into a pipe or a file they go
// in large pieces. A terminal keeps its line-by-line output, so that whoever
// watches sees each file as it is done. Must come before the first output.
void buffer_standard_output() {
  static char buffer[OUTPUT_BUFFER_SIZE];
  if (!isatty(STDOUT_FILENO)) std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
}

void print_line(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// Messages name the full TAP path, as in the window, whose rows carry their
// directory; a relative name is taken from the working directory, which is
// asked once for the whole run.
std::string full_path(const std::string& name) {
  if (name.empty() || name[0] == '/') return name;
  static const std::string directory = current_directory();
  return directory + name;
}

// The signals that end the process (Ctrl-C, kill, a closed terminal) are held
// back while a TAP file is being written, so that it is never left half
// written; one that arrives meanwhile takes effect once the file is complete.
class InterruptionsHeld {
 public:
  InterruptionsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, signal_number);
    sigprocmask(SIG_BLOCK, &held, &previous_);
  }
  ~InterruptionsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  InterruptionsHeld(const InterruptionsHeld&) = delete;
  InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;

 private:
  sigset_t previous_;
};


// Converts one named file; returns whether anything was reported or passed over.
bool convert_named_file(const std::string& name) {
  if (string_lower(path_extension(name)) != "tzx") {
    std::fflush(stdout);  // keeps the order of lines on a shared terminal
    std::fprintf(stderr, "ostrelm-convert: %s: not a .tzx file, passed over\n", name.c_str());
    return true;
  }
  bool reported = false;
  {
    InterruptionsHeld held;
    convert_tzx_to_tap(full_path(name), [&reported](const std::string& line) {
      print_line(line);
      reported = true;
    });
  }
  print_line(name);
  return reported;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> names;
  bool options_end = false;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (!options_end && std::strcmp(argument, "--help") == 0) {
      std::fputs(USAGE, stdout);
      return EXIT_ALL_CLEAN;
    }
    if (!options_end && std::strcmp(argument, "--") == 0) {
      options_end = true;
    } else if (!options_end && argument[0] == '-' && argument[1] != '\0') {
      std::fprintf(stderr, "ostrelm-convert: unknown option %s\n%s", argument, USAGE);
      return EXIT_USAGE;
    } else {
      names.emplace_back(argument);
    }
  }
  if (names.empty()) {
    std::fputs(USAGE, stderr);
    return EXIT_USAGE;
  }

  buffer_standard_output();
  // A closed pipe ends the run between two files (below), never inside one.
  process_ignore_write_signals();
  file_layer_init();
  bool anything_said = false;
  for (const std::string& name : names) {
    if (std::ferror(stdout)) break;
    anything_said |= convert_named_file(name);
  }
  file_close_all();
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("ostrelm-convert: cannot write to standard output\n", stderr);
    return EXIT_SOMETHING_SAID;
  }
  return anything_said ? EXIT_SOMETHING_SAID : EXIT_ALL_CLEAN;
}
