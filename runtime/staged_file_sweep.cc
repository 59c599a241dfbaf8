// SPDX-License-Identifier: GPL-3.0-or-later
// Hidden staged files: their names, their creation under the directory's
// lock, and the removal of those whose writer died.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <random>
#include <set>
#include <tuple>

#include "runtime/staged_file_hidden.h"

namespace {

constexpr char HIDDEN_PREFIX[] = ".ostrelm-";
constexpr char HIDDEN_SUFFIX[] = ".part";
constexpr std::size_t PREFIX_SIZE = sizeof HIDDEN_PREFIX - 1;
constexpr std::size_t SUFFIX_SIZE = sizeof HIDDEN_SUFFIX - 1;
constexpr std::size_t UNIQUE_SIZE = 12;
constexpr char UNIQUE_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr mode_t NEW_FILE_PERMISSIONS = 0666;  // narrowed by the umask
constexpr int NAME_ATTEMPTS = 100;
constexpr int LOCK_ATTEMPTS = 200;
constexpr long LOCK_PAUSE_NS = 5000000;  // 5 ms, so about a second in all

bool is_unique_letter(char c) { return c != '\0' && std::strchr(UNIQUE_LETTERS, c) != nullptr; }

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Removes the named file if it is a hidden file nobody holds a lock on and
// the name still leads to the file that was looked at.
void remove_if_abandoned(int directory, const char* name) {
  int descriptor = openat(directory, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return;
  struct stat opened, named;
  if (fstat(descriptor, &opened) == 0 && S_ISREG(opened.st_mode) && flock(descriptor, LOCK_EX | LOCK_NB) == 0 &&
      fstatat(directory, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && same_file(opened, named)) {
    unlinkat(directory, name, 0);
  }
  close(descriptor);
}

// Whether the directory was swept already; marks it swept. Its birth time
// tells a new directory from a removed one that had the same inode number.
bool sweep_done_before(int directory) {
  static std::set<std::tuple<std::uint64_t, std::uint64_t, std::int64_t, std::uint32_t>> swept;
  struct statx status;
  if (statx(directory, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &status) != 0) return true;
  std::uint64_t device = static_cast<std::uint64_t>(status.stx_dev_major) << 32 | status.stx_dev_minor;
  bool born = (status.stx_mask & STATX_BTIME) != 0;
  return !swept.insert({device, status.stx_ino, born ? status.stx_btime.tv_sec : 0, born ? status.stx_btime.tv_nsec : 0})
              .second;
}

}  // namespace

std::string staged_file_new_hidden_name() {
  static std::mt19937_64 generator(std::random_device{}() ^ static_cast<std::uint64_t>(getpid()) << 32 ^
                                   static_cast<std::uint64_t>(std::time(nullptr)));
  std::string name = HIDDEN_PREFIX;
  std::uniform_int_distribution<std::size_t> letter(0, sizeof UNIQUE_LETTERS - 2);
  for (std::size_t i = 0; i < UNIQUE_SIZE; ++i) name += UNIQUE_LETTERS[letter(generator)];
  return name + HIDDEN_SUFFIX;
}

bool staged_file_is_hidden_name(const char* name) {
  std::size_t size = std::strlen(name);
  if (size != PREFIX_SIZE + UNIQUE_SIZE + SUFFIX_SIZE) return false;
  if (std::memcmp(name, HIDDEN_PREFIX, PREFIX_SIZE) != 0) return false;
  if (std::memcmp(name + PREFIX_SIZE + UNIQUE_SIZE, HIDDEN_SUFFIX, SUFFIX_SIZE) != 0) return false;
  for (std::size_t i = PREFIX_SIZE; i < PREFIX_SIZE + UNIQUE_SIZE; ++i) {
    if (!is_unique_letter(name[i])) return false;
  }
  return true;
}

int staged_file_lock_directory(int directory, int operation) {
  int lock = openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock < 0) return -1;
  for (int attempt = 0; attempt < LOCK_ATTEMPTS; ++attempt) {
    if (flock(lock, operation | LOCK_NB) == 0) return lock;
    if (errno != EWOULDBLOCK) break;
    const struct timespec pause = {0, LOCK_PAUSE_NS};
    nanosleep(&pause, nullptr);
  }
  close(lock);
  return -1;
}

void staged_file_unlock_directory(int lock) {
  if (lock >= 0) close(lock);
}

int staged_file_create_hidden(int directory, std::string& name) {
  int lock = staged_file_lock_directory(directory, LOCK_SH);
  int descriptor = -1;
  for (int attempt = 0; attempt < NAME_ATTEMPTS && descriptor < 0; ++attempt) {
    name = staged_file_new_hidden_name();
    descriptor = openat(directory, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        NEW_FILE_PERMISSIONS);
    if (descriptor < 0 && errno != EEXIST) break;
  }
  int error = errno;
  if (descriptor >= 0) flock(descriptor, LOCK_EX);  // a new file: nobody else can hold it
  staged_file_unlock_directory(lock);
  if (descriptor < 0) name.clear();
  errno = error;
  return descriptor;
}

void staged_file_sweep(int directory) {
  if (sweep_done_before(directory)) return;
  // Only the first look waits for writers that are creating files; should the
  // lock not come, the files stay for a later process to remove.
  int lock = staged_file_lock_directory(directory, LOCK_EX);
  if (lock < 0) return;
  DIR* entries = fdopendir(fcntl(lock, F_DUPFD_CLOEXEC, 0));
  if (entries != nullptr) {
    while (const dirent* entry = readdir(entries)) {
      if (staged_file_is_hidden_name(entry->d_name)) remove_if_abandoned(directory, entry->d_name);
    }
    closedir(entries);
  }
  staged_file_unlock_directory(lock);
}
