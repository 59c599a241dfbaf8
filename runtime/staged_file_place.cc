// SPDX-License-Identifier: GPL-3.0-or-later
// Giving a complete staged file its name. Where the name is free this is one
// step that fails rather than replace a file that appeared meanwhile. An empty
// file at the name cannot be replaced "only while still empty" in one step;
// swapping the two names comes closest: the file that was there is looked at
// after the swap, when no write can reach it through the name any more, and
// swapped back should it hold data by then.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "runtime/staged_file.h"
#include "runtime/staged_file_hidden.h"

namespace {

constexpr int NAME_ATTEMPTS = 100;

StagedFileOutcome outcome_of(int result) {
  if (result == 0) return STAGED_FILE_DONE;
  return errno == EEXIST ? STAGED_FILE_TAKEN : STAGED_FILE_FAILED;
}

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Links the unnamed file in: through /proc's entry for the descriptor, or,
// without /proc, through the descriptor itself (older kernels allow that to
// privileged processes only).
int link_unnamed(const StagedFile& staged, const std::string& name) {
  std::string own = "/proc/self/fd/" + std::to_string(staged.descriptor);
  if (linkat(AT_FDCWD, own.c_str(), staged.directory, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT) return -1;
  return linkat(staged.descriptor, "", staged.directory, name.c_str(), AT_EMPTY_PATH);
}

// File systems without hard links (FAT-like ones through FUSE) refuse a
// second name in one of these ways.
bool lacks_hard_links(int error) { return error == EPERM || error == EOPNOTSUPP || error == ENOSYS; }

// The last way, where the file system knows neither a rename that refuses to
// replace nor a second name: a look that the name is free, then a plain
// rename. Our own converters never meet between the two, as both happen under
// the directory's exclusive lock. What remains is another program creating
// that very name in the microseconds between: its file would be replaced by
// the complete TAP file. Such file systems are cards and sticks one user fills
// for a player, where nothing else writes TAP files at that moment, and a
// TAP file is all the name can get, whole either way.
int rename_if_free(StagedFile& staged) {
  int lock = staged_file_lock_directory(staged.directory, LOCK_EX);
  struct stat status;
  int result = -1;
  if (fstatat(staged.directory, staged.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
  } else if (errno == ENOENT) {
    result = renameat(staged.directory, staged.hidden_name.c_str(), staged.directory, staged.name.c_str());
  }
  int error = errno;
  staged_file_unlock_directory(lock);
  if (result == 0) staged.hidden_name.clear();
  errno = error;
  return result;
}

// Renames the hidden file, never over another. Where the file system knows no
// such rename, a second name is made; the hidden one goes at the close.
int rename_hidden(StagedFile& staged) {
  const char* hidden = staged.hidden_name.c_str();
  if (renameat2(staged.directory, hidden, staged.directory, staged.name.c_str(), RENAME_NOREPLACE) == 0) {
    staged.hidden_name.clear();
    return 0;
  }
  if (errno != EINVAL) return -1;
  if (linkat(staged.directory, hidden, staged.directory, staged.name.c_str(), 0) == 0) return 0;
  return lacks_hard_links(errno) ? rename_if_free(staged) : -1;
}

int link_in(StagedFile& staged) {
  return staged.hidden_name.empty() ? link_unnamed(staged, staged.name) : rename_hidden(staged);
}

// A swap needs two names: the unnamed file gets a hidden one, locked before
// it appears so that no sweep takes it for abandoned.
bool give_hidden_name(StagedFile& staged) {
  if (!staged.hidden_name.empty()) return true;
  if (flock(staged.descriptor, LOCK_EX) != 0) return false;
  for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
    std::string name = staged_file_new_hidden_name();
    if (link_unnamed(staged, name) == 0) {
      staged.hidden_name = name;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool still_empty(int existing, const struct stat& before) {
  struct stat now;
  return fstat(existing, &now) == 0 && same_file(now, before) && now.st_size == 0;
}

int swap_names(StagedFile& staged) {
  return renameat2(staged.directory, staged.hidden_name.c_str(), staged.directory, staged.name.c_str(),
                   RENAME_EXCHANGE);
}

// Swaps the names, then looks at what came out from under the name.
StagedFileOutcome swap_with_empty(StagedFile& staged, const struct stat& before) {
  if (swap_names(staged) != 0) {
    if (errno != EINVAL) return STAGED_FILE_FAILED;
    // No swap on this file system: the nearest is a look right before a rename.
    if (!still_empty(staged.existing, before)) return STAGED_FILE_TAKEN;
    if (renameat(staged.directory, staged.hidden_name.c_str(), staged.directory, staged.name.c_str()) != 0) {
      return STAGED_FILE_FAILED;
    }
    staged.hidden_name.clear();
    return STAGED_FILE_DONE;
  }
  struct stat swapped;
  if (fstatat(staged.directory, staged.hidden_name.c_str(), &swapped, AT_SYMLINK_NOFOLLOW) == 0 &&
      same_file(swapped, before) && still_empty(staged.existing, before)) {
    return STAGED_FILE_DONE;  // the hidden name now holds the empty file, which goes with it
  }
  // Data came, or another file: it gets its name back and the new file goes.
  // Should even that fail, it keeps the hidden name rather than be removed.
  if (swap_names(staged) != 0) staged.hidden_name.clear();
  return STAGED_FILE_TAKEN;
}

// A folder with the sticky bit (a shared one, mode 1777) lets only the owner
// of a file, or of the folder, rename it away. Writing the data into the
// empty file instead would leave a half-written TAP file whenever the process
// ends during the write, and later runs would take it for a complete one and
// never replace it; so the empty file stays as it is, and the caller says why.
bool owned_by_another_in_sticky(const StagedFile& staged, const struct stat& file) {
  struct stat folder;
  return fstat(staged.directory, &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 && file.st_uid != geteuid() &&
         folder.st_uid != geteuid();
}

// The empty file keeps its place unless it is still the file found at the
// open. Its lock keeps two converters of the same tape from both replacing it.
StagedFileOutcome replace_empty(StagedFile& staged) {
  struct stat before, named;
  if (fstat(staged.existing, &before) != 0) return STAGED_FILE_FAILED;
  if (flock(staged.existing, LOCK_EX | LOCK_NB) != 0) {
    return errno == EWOULDBLOCK ? STAGED_FILE_TAKEN : STAGED_FILE_FAILED;
  }
  if (fstatat(staged.directory, staged.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno == ENOENT ? outcome_of(link_in(staged)) : STAGED_FILE_FAILED;
  }
  if (!same_file(named, before) || !still_empty(staged.existing, before)) return STAGED_FILE_TAKEN;
  if (!give_hidden_name(staged)) return STAGED_FILE_FAILED;
  fchmod(staged.descriptor, before.st_mode & 07777);  // keeps the mode the old file was given
  StagedFileOutcome outcome = swap_with_empty(staged, before);
  if (outcome == STAGED_FILE_FAILED && errno == EPERM && owned_by_another_in_sticky(staged, before)) {
    return STAGED_FILE_REFUSED;
  }
  return outcome;
}

}  // namespace

StagedFileOutcome staged_file_place(StagedFile& staged) {
  if (staged.existing >= 0) return replace_empty(staged);
  return outcome_of(link_in(staged));
}
