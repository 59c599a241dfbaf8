// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/cli_tape.h"

#include <cstdio>

#include "convert/cli_output.h"
#include "convert/string_ops.h"
#include "convert/tzx_to_tap.h"
#include "runtime/file_names.h"

namespace {

void print_line(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// Lines on standard error follow the file's lines on standard output, in that
// order on a shared terminal.
void say_aside(const std::string& name, const char* text) {
  cli_output_flush();
  std::fprintf(stderr, "ostrelm-convert: %s: %s\n", name.c_str(), text);
}

// Messages name the full TAP path, as in the window, whose rows carry their
// directory; a relative path is taken from the working directory, asked once
// for the run. One too deep for the system to tell stays as given.
std::string full_path(const std::string& path) {
  if (path[0] == '/') return path;
  static const std::string directory = current_directory();
  return directory + path;
}

std::string tap_path(const std::string& name, const std::optional<std::string>& output_directory) {
  const std::string beside = name_without_extension(name) + ".tap";
  if (!output_directory) return beside;
  std::string directory = *output_directory;
  if (directory.back() != '/') directory += '/';
  return directory + beside.substr(beside.rfind('/') + 1);  // no "/": npos + 1 is 0
}

}  // namespace

bool cli_tape_convert(const std::string& name, const std::optional<std::string>& output_directory) {
  if (string_lower(path_extension(name)) != "tzx") {
    say_aside(name, "not a .tzx file, passed over");
    return true;
  }
  const std::string tap = tap_path(name, output_directory);
  const TapConversionPaths paths{name, tap, full_path(tap)};
  bool reported = false;
  TapConversionOutcome outcome = convert_tzx_file(
      paths,
      [&reported](const std::string& line) {
        print_line(line);
        reported = true;
      },
      cli_output_pace);
  print_line(name);
  if (outcome != TAP_CONVERSION_PASSED_OVER) return reported;
  say_aside(name, (paths.tap_shown + " already holds data, passed over").c_str());
  return true;
}
