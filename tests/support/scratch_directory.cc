#include "tests/support/scratch_directory.h"

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>

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

}  // namespace

ScratchDirectory::ScratchDirectory() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/ostrelm-XXXXXX";
  if (mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("cannot make a scratch directory");
  path_ = pattern + "/";
}

ScratchDirectory::~ScratchDirectory() {
  nftw(path_.c_str(), restore_permissions, 16, FTW_PHYS);
  nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}
