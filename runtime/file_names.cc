// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/file_names.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t DIRECTORY_TEXT_ROOM = 4096;

}  // namespace

std::int64_t file_size(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return -1;
  if (S_ISDIR(status.st_mode)) return -2;
  return static_cast<std::int64_t>(status.st_size);
}

std::string current_directory() {
  std::string text(DIRECTORY_TEXT_ROOM + 2, '\0');
  if (getcwd(&text[0], DIRECTORY_TEXT_ROOM) == nullptr) return std::string();
  text.resize(text.find('\0'));
  if (text.size() > 1 && text.back() != '/') text += '/';
  return text;
}

std::string path_extension(const std::string& path) {
  std::size_t dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] == '/') return std::string();
  std::string extension = path.substr(dot + 1);
  return extension.substr(0, extension.find('"'));
}
