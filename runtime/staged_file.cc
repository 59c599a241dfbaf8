// SPDX-License-Identifier: GPL-3.0-or-later
// Opening and closing staged files. What is at the path is looked at first,
// without following a link, so that nothing is created for a path that could
// not take the file anyway.
#include "runtime/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/file.h"
#include "runtime/file_table.h"
#include "runtime/staged_file_hidden.h"

namespace {

constexpr mode_t NEW_FILE_PERMISSIONS = 0666;  // narrowed by the umask

void split_path(StagedFile& staged, const std::string& path, std::string& directory) {
  std::size_t slash = path.rfind('/');
  directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  staged.name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// DONE for an empty regular file, TAKEN for one with data.
StagedFileOutcome regular_file_state(const struct stat& status) {
  if (!S_ISREG(status.st_mode)) {
    errno = EEXIST;
    return STAGED_FILE_FAILED;
  }
  return status.st_size > 0 ? STAGED_FILE_TAKEN : STAGED_FILE_DONE;
}

// Nothing at the path, or an empty regular file (opened as `existing`): DONE.
// The empty file is opened for writing although it is only ever replaced, so
// that one this process may not write stays as it would have stayed had it
// been written in place. Anything but a regular file is only looked at: a
// device is never opened.
StagedFileOutcome look_at_path(StagedFile& staged) {
  struct stat status;
  if (fstatat(staged.directory, staged.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno == ENOENT ? STAGED_FILE_DONE : STAGED_FILE_FAILED;
  }
  StagedFileOutcome state = regular_file_state(status);
  if (state != STAGED_FILE_DONE) return state;
  staged.existing = openat(staged.directory, staged.name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (staged.existing < 0) return errno == ENOENT ? STAGED_FILE_DONE : STAGED_FILE_FAILED;
  return fstat(staged.existing, &status) == 0 ? regular_file_state(status) : STAGED_FILE_FAILED;
}

int create_file(StagedFile& staged, bool unnamed) {
  if (unnamed) {
    int descriptor = openat(staged.directory, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, NEW_FILE_PERMISSIONS);
    // A file system without unnamed files says so in one of these ways.
    if (descriptor >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return descriptor;
  }
  return staged_file_create_hidden(staged.directory, staged.hidden_name);
}

}  // namespace

StagedFileOutcome staged_file_open(StagedFile& staged, const std::string& path, bool unnamed) {
  std::string directory;
  split_path(staged, path, directory);
  staged.directory = open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (staged.directory < 0) return STAGED_FILE_FAILED;
  StagedFileOutcome look = look_at_path(staged);
  if (look != STAGED_FILE_DONE) return look;
  staged_file_sweep(staged.directory);
  int descriptor = create_file(staged, unnamed);
  if (descriptor < 0) return STAGED_FILE_FAILED;
  staged.descriptor = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  std::FILE* stream = staged.descriptor >= 0 ? fdopen(descriptor, "r+") : nullptr;
  if (stream == nullptr) {
    int error = errno;
    close(descriptor);
    errno = error;
    return STAGED_FILE_FAILED;
  }
  staged.number = file_register(OBJECT_NUMBER_ANY, stream);
  return staged.number != 0 ? STAGED_FILE_DONE : STAGED_FILE_FAILED;
}

void staged_file_close(StagedFile& staged) {
  file_close(staged.number);
  staged.number = 0;
  // Removed while its lock is still held, so that a sweep meanwhile leaves it.
  if (!staged.hidden_name.empty()) unlinkat(staged.directory, staged.hidden_name.c_str(), 0);
  staged.hidden_name.clear();
  for (int* descriptor : {&staged.descriptor, &staged.existing, &staged.directory}) {
    if (*descriptor >= 0) close(*descriptor);
    *descriptor = -1;
  }
}
