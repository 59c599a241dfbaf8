// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/scratch_directory.h"

#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

namespace {

// Directories get their permissions back before their entries are removed.
int restore_permissions(const char* path, const struct stat*, int kind, struct FTW*) {
  if (kind == FTW_D || kind == FTW_DNR) chmod(path, 0700);
  return 0;
}

void check(bool done, const std::string& what) {
  if (!done) throw std::runtime_error("scratch directory: cannot make " + what);
}

}  // namespace

ScratchDirectory::ScratchDirectory(const std::string& base) {
  const char* temporary = getenv("TMPDIR");
  std::string pattern = (!base.empty() ? base : temporary && *temporary ? temporary : "/tmp") + "/ostrelm-XXXXXX";
  check(mkdtemp(&pattern[0]) != nullptr, pattern);
  chmod(pattern.c_str(), 0755);  // reachable by a test's unprivileged child too
  path_ = pattern + "/";
}

ScratchDirectory::~ScratchDirectory() {
  nftw(path_.c_str(), restore_permissions, 16, FTW_PHYS);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDirectory::make_directory(const std::string& relative) const {
  const std::string full = path_ + relative;
  for (auto slash = full.find('/', path_.size());; slash = full.find('/', slash + 1)) {
    check(mkdir(full.substr(0, slash).c_str(), 0755) == 0 || errno == EEXIST, full.substr(0, slash));
    if (slash == std::string::npos) return full.back() == '/' ? full : full + "/";
  }
}

void ScratchDirectory::make_file(const std::string& relative, off_t size) const {
  const int fd = open((path_ + relative).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  check(fd >= 0 && ftruncate(fd, size) == 0 && close(fd) == 0, relative);
}

void ScratchDirectory::make_link(const std::string& target, const std::string& relative) const {
  check(symlink(target.c_str(), (path_ + relative).c_str()) == 0, relative);
}

void ScratchDirectory::make(std::initializer_list<std::string> entries) const {
  for (const std::string& entry : entries) {
    const auto slash = entry.rfind('/');
    if (slash != std::string::npos) make_directory(entry.substr(0, slash));
    if (slash != entry.size() - 1) make_file(entry);
  }
}
