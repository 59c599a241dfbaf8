#include "tests/support/scratch_directory.h"

#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace {

// Tests take permissions away: directories get them back before their
// entries are removed (the first walk visits them before their contents).
int restore_permissions(const char* path, const struct stat*, int kind, struct FTW*) {
  if (kind == FTW_D || kind == FTW_DNR) chmod(path, 0700);
  return 0;
}

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
  std::remove(path);
  return 0;
}

void fail(const std::string& what) { throw std::runtime_error("scratch directory: " + what); }

}  // namespace

ScratchDirectory::ScratchDirectory(const std::string& base) {
  const char* temporary = getenv("TMPDIR");
  std::string pattern = (!base.empty() ? base : temporary && *temporary ? temporary : "/tmp") + "/ostrelm-XXXXXX";
  if (mkdtemp(&pattern[0]) == nullptr) fail("cannot make one in " + pattern);
  // Reachable by a test's unprivileged child process too.
  chmod(pattern.c_str(), 0755);
  path_ = pattern + "/";
}

ScratchDirectory::~ScratchDirectory() {
  nftw(path_.c_str(), restore_permissions, 16, FTW_PHYS);
  nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string ScratchDirectory::make_directory(const std::string& relative) const {
  const std::string full = path_ + relative;
  for (auto slash = full.find('/', path_.size());; slash = full.find('/', slash + 1)) {
    const std::string part = full.substr(0, slash);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) fail("cannot make " + part);
    if (slash == std::string::npos) break;
  }
  return full.back() == '/' ? full : full + "/";
}

std::string ScratchDirectory::make_file(const std::string& relative, off_t size,
                                        mode_t mode) const {
  const std::string::size_type slash = relative.rfind('/');
  if (slash != std::string::npos) make_directory(relative.substr(0, slash));
  const std::string full = path_ + relative;
  const int fd = open(full.c_str(), O_CREAT | O_WRONLY | O_TRUNC, mode);
  if (fd < 0) fail("cannot make " + full);
  const bool sized = ftruncate(fd, size) == 0 && fchmod(fd, mode) == 0;
  if (close(fd) != 0 || !sized) fail("cannot size " + full);
  return full;
}

void ScratchDirectory::make_link(const std::string& target, const std::string& relative) const {
  if (symlink(target.c_str(), (path_ + relative).c_str()) != 0) fail("cannot link " + relative);
}

void ScratchDirectory::make(std::initializer_list<std::string> entries) const {
  for (const std::string& entry : entries) entry.back() == '/' ? make_directory(entry) : make_file(entry);
}
