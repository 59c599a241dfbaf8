// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_TESTS_SUPPORT_SCRATCH_DIRECTORY_H_
#define OSTRELM_TESTS_SUPPORT_SCRATCH_DIRECTORY_H_

#include <sys/types.h>

#include <initializer_list>
#include <string>

// A fresh directory under $TMPDIR (or /tmp, or `base`), removed with all it
// holds when the object goes, also what a test made unreadable.
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const std::string& base = "");
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& path() const { return path_; }  // ends in "/"
  std::string file(const std::string& name) const { return path_ + name; }
  // Makes `relative` and its missing parents; returns its path with a final "/".
  std::string make_directory(const std::string& relative) const;
  // A file of `size` bytes (sparse) in an existing directory.
  void make_file(const std::string& relative, off_t size = 0) const;
  void make_link(const std::string& target, const std::string& relative) const;
  // Each entry: a directory if it ends in "/", else an empty file (parents too).
  void make(std::initializer_list<std::string> entries) const;

 private:
  std::string path_;
};

#endif  // OSTRELM_TESTS_SUPPORT_SCRATCH_DIRECTORY_H_
