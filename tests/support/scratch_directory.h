#ifndef OSTRELM_TESTS_SUPPORT_SCRATCH_DIRECTORY_H_
#define OSTRELM_TESTS_SUPPORT_SCRATCH_DIRECTORY_H_

#include <string>

// A fresh directory under $TMPDIR (or /tmp), removed with all it holds when
// the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& path() const { return path_; }  // ends in "/"
  std::string file(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

#endif  // OSTRELM_TESTS_SUPPORT_SCRATCH_DIRECTORY_H_
