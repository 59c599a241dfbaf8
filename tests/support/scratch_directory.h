#ifndef OSTRELM_TESTS_SUPPORT_SCRATCH_DIRECTORY_H_
#define OSTRELM_TESTS_SUPPORT_SCRATCH_DIRECTORY_H_

#include <string>

// A fresh directory under the system's temporary folder, removed with all it
// holds when the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // The directory, ending in "/".
  const std::string& path() const { return path_; }
  // The path of a name inside it.
  std::string file(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

#endif  // OSTRELM_TESTS_SUPPORT_SCRATCH_DIRECTORY_H_
