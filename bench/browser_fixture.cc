// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/browser_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

void fixture_file(const std::string& path) {
  int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  if (fd < 0 || write(fd, "ZXTape!\x1A", 8) != 8) {
    std::perror(path.c_str());
    std::exit(1);
  }
  close(fd);
}

void fixture_directory(const std::string& path) {
  if (mkdir(path.c_str(), 0755) != 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
}

std::string numbered(const char* prefix, int i, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%05d%s", prefix, i, suffix);
  return name;
}

}  // namespace

BrowserFixture browser_fixture_create() {
  char root[] = "/tmp/ostrelm_browser_bench_XXXXXX";
  if (!mkdtemp(root)) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  BrowserFixture fixture{std::string(root) + "/", "", ""};
  fixture.list_dir = fixture.root + "list/";
  fixture.tree_dir = fixture.root + "tree/";
  fixture_directory(fixture.list_dir);
  fixture_directory(fixture.tree_dir);
  for (int i = 0; i < LIST_FILES; ++i)
    fixture_file(fixture.list_dir + numbered("tape", i, i % 2 ? ".tap" : ".tzx"));
  for (int i = 0; i < TREE_DIRECTORIES; ++i) {
    std::string sub = fixture.tree_dir + numbered("dir", i, "/");
    fixture_directory(sub);
    if (i % 2)
      fixture_file(sub + "only_a_file.tzx");
    else
      fixture_directory(sub + "inner");
  }
  return fixture;
}

void browser_fixture_remove(const BrowserFixture& fixture) {
  std::error_code ignored;
  std::filesystem::remove_all(fixture.root, ignored);
}
