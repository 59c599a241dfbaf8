// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/cli_arguments.h"

#include <cerrno>
#include <cstring>

#include "runtime/file_names.h"

namespace {

const char LONG_DIRECTORY_OPTION[] = "--output-directory";

// The text that follows an output-directory option in its own argument
// ("-dDIR", "--output-directory=DIR"), empty for "-d" and
// "--output-directory", whose directory is the next argument; nullptr when
// the argument is no such option.
const char* attached_directory(const char* argument) {
  if (std::strncmp(argument, "-d", 2) == 0) return argument + 2;
  const std::size_t size = sizeof LONG_DIRECTORY_OPTION - 1;
  if (std::strncmp(argument, LONG_DIRECTORY_OPTION, size) != 0) return nullptr;
  if (argument[size] == '\0') return argument + size;
  return argument[size] == '=' ? argument + size + 1 : nullptr;
}

void check_output_directory(CliArguments& arguments) {
  const std::string& directory = *arguments.output_directory;
  std::int64_t size = file_size(directory);  // -2 for a directory
  if (size == -2) return;
  int error = size == -1 ? errno : ENOTDIR;
  arguments.error = "output directory " + directory + ": " + std::strerror(error);
}

}  // namespace

CliArguments cli_arguments_parse(int argc, char** argv) {
  CliArguments arguments;
  bool options_end = false;
  for (int i = 1; i < argc && arguments.error.empty(); ++i) {
    const char* argument = argv[i];
    const char* directory = attached_directory(argument);
    if (options_end || argument[0] != '-' || argument[1] == '\0') {  // a lone "-" is a name
      arguments.names.emplace_back(argument);
    } else if (std::strcmp(argument, "--") == 0) {
      options_end = true;
    } else if (std::strcmp(argument, "--help") == 0) {
      arguments.help = true;
      break;
    } else if (directory == nullptr) {
      arguments.error = std::string("unknown option ") + argument;
    } else if (*directory != '\0' || directory[-1] == '=') {  // "--output-directory=" names ""
      arguments.output_directory = directory;
    } else if (i + 1 < argc) {
      arguments.output_directory = argv[++i];
    } else {
      arguments.error = std::string(argument) + " needs a directory";
    }
  }
  if (arguments.error.empty() && !arguments.help && arguments.output_directory) check_output_directory(arguments);
  return arguments;
}
