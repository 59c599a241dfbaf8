// SPDX-License-Identifier: GPL-3.0-or-later
// ostrelm-convert: converts the TZX files named on the command line as the
// window's "Convert > TAP" converts selected rows, and prints the lines the
// window's log would show. No display is needed.
#include <unistd.h>

#include <cstdio>

#include "convert/cli_arguments.h"
#include "convert/cli_output.h"
#include "convert/cli_tape.h"
#include "runtime/file.h"
#include "runtime/process_signals.h"

namespace {

constexpr int EXIT_ALL_CLEAN = 0;
constexpr int EXIT_SOMETHING_SAID = 1;
constexpr int EXIT_USAGE = 2;

const char USAGE[] =
    "Usage: ostrelm-convert [-d DIR] [--] FILE...\n"
    "Converts each TZX file (extension .tzx in any letter case) into a TAP file\n"
    "beside it, or into DIR (-d DIR, --output-directory DIR). A TAP file that\n"
    "already holds data is never overwritten: its tape is passed over.\n"
    "Prints each file's messages, then its name. Exit status: 0 when nothing\n"
    "was reported or passed over, 1 otherwise, 2 for a usage error. Ctrl-C or a\n"
    "termination signal ends the run after the file at hand, by that signal.\n";

// The termination signals are held during a file and end the run only
// between two files, once the file's lines are out: never half a TAP file,
// never a TAP file without its lines. Returns whether anything was said
// about any file.
bool convert_files(const CliArguments& arguments) {
  bool anything_said = false;
  for (const std::string& name : arguments.names) {
    anything_said |= cli_tape_convert(name, arguments.output_directory);
    // A failed write may have come at the flush before a line on standard error.
    if (!cli_output_file_done() || process_termination_requested()) break;
  }
  return anything_said;
}

}  // namespace

int main(int argc, char** argv) {
  const CliArguments arguments = cli_arguments_parse(argc, argv);
  if (arguments.help) {
    std::fputs(USAGE, stdout);
    return EXIT_ALL_CLEAN;
  }
  if (!arguments.error.empty() || arguments.names.empty()) {
    if (!arguments.error.empty()) std::fprintf(stderr, "ostrelm-convert: %s\n", arguments.error.c_str());
    std::fputs(USAGE, stderr);
    return EXIT_USAGE;
  }

  cli_output_begin();
  // A closed pipe shows as a failed write, after which the run ends.
  process_ignore_write_signals();
  process_hold_termination_signals();
  file_layer_init();
  const bool anything_said = convert_files(arguments);
  file_close_all();
  const bool output_lost = !cli_output_flush();
  if (output_lost) std::fputs("ostrelm-convert: cannot write to standard output\n", stderr);
  process_release_termination_signals();  // a signal that came ends the process here
  return output_lost || anything_said ? EXIT_SOMETHING_SAID : EXIT_ALL_CLEAN;
}
