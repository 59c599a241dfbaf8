// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_CLI_ARGUMENTS_H_
#define OSTRELM_CONVERT_CLI_ARGUMENTS_H_

// The command line of ostrelm-convert.

#include <optional>
#include <string>
#include <vector>

struct CliArguments {
  std::vector<std::string> names;
  // Where the TAP files go (-d DIR, --output-directory DIR); none: beside each tape.
  std::optional<std::string> output_directory;
  bool help = false;
  std::string error;  // a usage error; nothing is to be converted
};

// Reads the options up to "--" (wherever they stand before it) and the names.
// An output directory that does not exist or is no directory is a usage
// error: a script that mistyped it gets nothing converted to unexpected places.
CliArguments cli_arguments_parse(int argc, char** argv);

#endif  // OSTRELM_CONVERT_CLI_ARGUMENTS_H_
