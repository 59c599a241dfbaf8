#include "gadgets/directory_scan.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

namespace {

constexpr unsigned kHideFiles = 2;
constexpr unsigned kHideDirectories = 128;
constexpr unsigned kShowHidden = 0x40000;

// A fresh directory under /tmp, removed with everything in it afterwards.
class TempDirectory {
 public:
  TempDirectory() {
    char name[] = "/tmp/directory_scan_XXXXXX";
    path_ = std::string(mkdtemp(name)) + "/";
    chmod(path_.c_str(), 0755);  // reachable by the unprivileged child below
  }
  ~TempDirectory() {
    std::string command = "chmod -R u+rwx '" + path_ + "' && rm -rf '" + path_ + "'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "cannot remove " << path_;
  }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name, off_t size = 0) const {
    std::string full = path_ + name;
    int fd = open(full.c_str(), O_CREAT | O_WRONLY, 0644);
    EXPECT_GE(fd, 0) << full;
    EXPECT_EQ(ftruncate(fd, size), 0);
    close(fd);
    return full;
  }
  std::string directory(const std::string& name) const {
    std::string full = path_ + name;
    EXPECT_EQ(mkdir(full.c_str(), 0755), 0) << full;
    return full + "/";
  }
  void link(const std::string& target, const std::string& name) const {
    EXPECT_EQ(symlink(target.c_str(), (path_ + name).c_str()), 0) << name;
  }

 private:
  std::string path_;
};

// Every entry the scan returns: name -> full path.
std::map<std::string, std::string> scan(const std::string& directory, const PatternList& patterns,
                                        unsigned flags) {
  std::map<std::string, std::string> found;
  DirectoryStream dir = directory_open(directory);
  EXPECT_NE(dir, nullptr) << directory;
  struct stat status;
  std::string full_path;
  while (const struct dirent* entry =
             directory_next_entry(dir.get(), directory, patterns, flags, &status, &full_path))
    found[entry->d_name] = full_path;
  return found;
}

std::map<std::string, std::string> scan(const std::string& directory, const std::string& text,
                                        unsigned flags = 0) {
  std::string dir = directory;
  PatternList patterns;
  split_directory_pattern(text, dir, patterns);
  return scan(dir, patterns, flags);
}

TEST(SplitDirectoryPattern, SeparatesDirectoryAndPatterns) {
  std::string directory = "/old/";
  PatternList patterns = {"old"};
  split_directory_pattern("/home/user/*.tzx", directory, patterns);
  EXPECT_EQ(directory, "/home/user/");
  EXPECT_EQ(patterns, PatternList({"*.tzx"}));

  split_directory_pattern("/data/", directory, patterns);  // all directory
  EXPECT_EQ(directory, "/data/");
  EXPECT_EQ(patterns, PatternList({"*.tzx"}));

  split_directory_pattern("*.tzx;;*.tap;", directory, patterns);  // no "/"
  EXPECT_EQ(directory, "/data/");
  EXPECT_EQ(patterns, PatternList({"*.tzx", "*.tap"}));

  split_directory_pattern("", directory, patterns);
  EXPECT_EQ(directory, "/");
  EXPECT_EQ(patterns.size(), 2u);

  split_directory_pattern(";", directory, patterns);
  EXPECT_EQ(directory, "/");
  EXPECT_TRUE(patterns.empty());

  std::string none;
  split_directory_pattern("*.tzx", none, patterns);
  EXPECT_EQ(none, "");
}

TEST(SplitDirectoryPattern, StarDotStarAloneMeansEveryName) {
  std::string directory;
  PatternList patterns;
  split_directory_pattern("/x/*.*;a*.*", directory, patterns);
  EXPECT_EQ(patterns, PatternList({"*", "a*.*"}));
  EXPECT_TRUE(pattern_list_matches(patterns, "README"));
  EXPECT_FALSE(pattern_list_matches({"a*.*"}, "abc"));
  EXPECT_TRUE(pattern_list_matches({"a*.*"}, "ab.c"));
}

TEST(PatternListMatches, IsCaseSensitiveFnmatch) {
  EXPECT_FALSE(pattern_list_matches({"*.tzx"}, "GAME.TZX"));
  EXPECT_TRUE(pattern_list_matches({"*.[tT][zZ][xX]"}, "GAME.TZX"));
  EXPECT_TRUE(pattern_list_matches({"*.[tT][zZ][xX]"}, "game.tzx"));
  EXPECT_TRUE(pattern_list_matches({"*.tap", "*.tzx"}, "game.tzx"));
  EXPECT_TRUE(pattern_list_matches({"\\*"}, "*"));
  EXPECT_FALSE(pattern_list_matches({"\\*"}, "a"));
  EXPECT_TRUE(pattern_list_matches({}, "anything"));
  PatternList patterns = {"*"};
  pattern_list_free(patterns);
  EXPECT_TRUE(patterns.empty());
}

class DirectoryNextEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    temp.file("game.tzx", 100);
    temp.file("GAME.TZX");
    temp.file("README");
    temp.file(".profile");
    temp.directory("sub");
    temp.directory(".config");
    temp.link(temp.path() + "sub", "to_sub");
    temp.link(temp.path() + "nowhere", "dangling");
    temp.link(".", "loop");  // a link back to its own directory
    temp.link("ring_b", "ring_a");
    temp.link("ring_a", "ring_b");
  }
  TempDirectory temp;
};

TEST_F(DirectoryNextEntry, SelectsFilesByPatternAndAlwaysDirectories) {
  const std::string& d = temp.path();
  std::map<std::string, std::string> expected = {
      {"game.tzx", d + "game.tzx"}, {"sub", d + "sub/"}, {"to_sub", d + "to_sub/"},
      {"loop", d + "loop/"}};
  EXPECT_EQ(scan(d, "*.tzx"), expected);
  EXPECT_EQ(scan(d, "*.[tT][zZ][xX]").count("GAME.TZX"), 1u);
  EXPECT_EQ(scan(d, ";").count("README"), 1u);
}

TEST_F(DirectoryNextEntry, HiddenEntriesOnlyWhenShownAndNeverDotLinks) {
  std::map<std::string, std::string> hidden = scan(temp.path(), "*", kShowHidden);
  EXPECT_EQ(hidden.count(".profile"), 1u);
  EXPECT_EQ(hidden.count(".config"), 1u);
  EXPECT_EQ(hidden.count("."), 0u);
  EXPECT_EQ(hidden.count(".."), 0u);
  std::map<std::string, std::string> plain = scan(temp.path(), "*");
  EXPECT_EQ(plain.count(".profile"), 0u);
  EXPECT_EQ(plain.count(".config"), 0u);
  EXPECT_EQ(plain.size() + 2, hidden.size());
}

TEST_F(DirectoryNextEntry, FlagsHideFilesOrDirectories) {
  std::map<std::string, std::string> directories = scan(temp.path(), ";", kHideFiles);
  EXPECT_EQ(directories.size(), 3u);  // sub, to_sub, loop
  EXPECT_EQ(directories.count("to_sub"), 1u);
  std::map<std::string, std::string> files = scan(temp.path(), ";", kHideDirectories);
  EXPECT_EQ(files.size(), 3u);  // game.tzx, GAME.TZX, README
  EXPECT_EQ(files.count("sub"), 0u);
}

TEST_F(DirectoryNextEntry, LinksAreFollowedAndBrokenOnesLeftOut) {
  std::map<std::string, std::string> all = scan(temp.path(), ";");
  EXPECT_EQ(all.count("dangling"), 0u);
  EXPECT_EQ(all.count("ring_a"), 0u);
  EXPECT_EQ(all.count("ring_b"), 0u);
  // The link back to its own directory is an ordinary directory entry; the
  // scan does not descend, so it cannot loop.
  EXPECT_EQ(scan(all["loop"], ";").size(), all.size());
}

TEST_F(DirectoryNextEntry, FillsStatusAndAcceptsDirectoryWithoutSlash) {
  std::string directory = temp.path().substr(0, temp.path().size() - 1);
  DirectoryStream dir = directory_open(directory);
  struct stat status;
  std::string full_path;
  const struct dirent* entry =
      directory_next_entry(dir.get(), directory, {"game.tzx"}, 0, &status, &full_path);
  while (entry && std::string(entry->d_name) != "game.tzx")
    entry = directory_next_entry(dir.get(), directory, {"game.tzx"}, 0, &status, &full_path);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(status.st_size, 100);
  EXPECT_TRUE(S_ISREG(status.st_mode));
  EXPECT_EQ(full_path, temp.path() + "game.tzx");
  EXPECT_EQ(directory_next_entry(nullptr, directory, {}, 0, nullptr, nullptr), nullptr);
}

TEST(DirectoryScan, LargeAndLateFilesAreListed) {
  TempDirectory temp;
  std::string big = temp.file("big.tzx", off_t(5) << 30);  // sparse, 5 GiB
  std::string late = temp.file("late.tzx");
  const struct timeval times[2] = {{4102444800, 0}, {4102444800, 0}};  // 2100-01-01
  ASSERT_EQ(utimes(late.c_str(), times), 0);
  DirectoryStream dir = directory_open(temp.path());
  struct stat status;
  std::map<std::string, struct stat> found;
  while (const struct dirent* entry =
             directory_next_entry(dir.get(), temp.path(), {}, 0, &status, nullptr))
    found[entry->d_name] = status;
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found["big.tzx"].st_size, off_t(5) << 30);
  EXPECT_EQ(int64_t(found["late.tzx"].st_mtime), 4102444800);
}

// GTK runs the program in the user's (UTF-8) locale, where fnmatch works on
// characters; names that are not UTF-8 must still match and keep their bytes.
TEST(DirectoryScan, NamesKeepTheirBytesInAUtf8Locale) {
  TempDirectory temp;
  const std::string latin1 = "b\xE9.tzx", japanese = "\u30C6\u30FC\u30D7.tzx";
  temp.file(latin1);
  temp.file(japanese);
  std::setlocale(LC_ALL, "C.UTF-8");
  std::map<std::string, std::string> found = scan(temp.path(), "*.tzx");
  std::setlocale(LC_ALL, "C");
  std::map<std::string, std::string> expected = {{latin1, temp.path() + latin1},
                                                 {japanese, temp.path() + japanese}};
  EXPECT_EQ(found, expected);
}

// Runs the check as an unprivileged user, so that permissions apply even when
// the tests run as root; returns the check's result.
bool run_unprivileged(const std::function<bool()>& check) {
  if (geteuid() != 0) return check();
  pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(DirectoryScan, UnreadableDirectoriesGiveNoEntries) {
  TempDirectory temp;
  std::string closed = temp.directory("closed");
  std::string unsearchable = temp.directory("unsearchable");
  temp.file("closed/a.tzx");
  temp.file("unsearchable/a.tzx");
  chmod(closed.c_str(), 0);
  chmod(unsearchable.c_str(), 0444);  // names readable, status not
  EXPECT_TRUE(run_unprivileged([&] {
    if (directory_open(closed)) return false;
    DirectoryStream dir = directory_open(unsearchable);
    return dir && !directory_next_entry(dir.get(), unsearchable, {}, 0, nullptr, nullptr);
  }));
}

}  // namespace
