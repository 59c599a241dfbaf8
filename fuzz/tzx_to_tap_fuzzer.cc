// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target over the whole conversion of one file: the input bytes are
// written to a tape file in a private folder, converted, and the result is
// held to what any tape must give:
//  - a file without the TZX signature leaves no TAP file behind;
//  - a TZX file leaves a TAP file that is a whole sequence of records, each
//    a run of bytes copied from the tape (nothing is made up);
//  - every message names the TAP file, and a refused block is the last word;
//  - converting again never touches a TAP file that holds data, and gives the
//    same result when the first TAP file was empty;
//  - the tape itself is never changed, no file stays open, and once the tape
//    and its TAP file are removed the folder is empty again.
// A broken rule prints why and aborts, which libFuzzer records as a crash.
#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "convert/tzx_to_tap.h"
#include "runtime/file.h"

namespace {

constexpr char TZX_SIGNATURE[] = "ZXTape!\x1A";
constexpr std::size_t TZX_SIGNATURE_SIZE = 8;

std::string scratch_folder;

struct Outcome {
  bool written = false;
  std::vector<std::string> lines;
  bool tap_exists = false;
  std::string tap;
};

[[noreturn]] void broken(const char* rule, const std::string& detail = "") {
  std::fprintf(stderr, "broken rule: %s %s\n", rule, detail.c_str());
  std::abort();
}

bool read_file(const std::string& path, std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes.clear();
  char chunk[8192];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  std::fclose(f);
  return true;
}

void write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) broken("cannot write", path);
}

// Entries of a folder, "." and ".." left out.
int count_entries(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) broken("cannot read folder", folder);
  int count = 0;
  while (dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) ++count;
  }
  closedir(dir);
  return count;
}

int open_descriptors() { return count_entries("/proc/self/fd") - 1; }  // less the one counting

Outcome convert(const std::string& tzx_path, const std::string& tap_path) {
  Outcome outcome;
  outcome.written = convert_tzx_to_tap(tzx_path, [&outcome](const std::string& line) {
    outcome.lines.push_back(line);
  });
  outcome.tap_exists = read_file(tap_path, outcome.tap);
  return outcome;
}

void check_records(const std::string& tap, const std::uint8_t* data, std::size_t size) {
  const std::string tape(reinterpret_cast<const char*>(data), size);
  std::size_t pos = 0;
  while (pos < tap.size()) {
    if (tap.size() - pos < 2) broken("TAP ends inside a record length");
    std::size_t n = static_cast<unsigned char>(tap[pos]) | static_cast<unsigned char>(tap[pos + 1]) << 8;
    if (tap.size() - pos - 2 < n) broken("TAP ends inside a record", std::to_string(pos));
    if (tape.find(tap.substr(pos + 2, n)) == std::string::npos) broken("record bytes not from the tape");
    pos += 2 + n;
  }
}

void check_messages(const Outcome& outcome, const std::string& tap_path) {
  const std::string prefix = tap_path + ": ";
  for (std::size_t i = 0; i < outcome.lines.size(); ++i) {
    const std::string& line = outcome.lines[i];
    if (line.compare(0, prefix.size(), prefix) != 0) broken("message without the TAP path", line);
    if (line.find("Unsupported block found ($") != std::string::npos && i + 1 != outcome.lines.size()) {
      broken("conversion went on after a refused block", line);
    }
  }
}

void check_first(const Outcome& outcome, const std::string& tap_path, const std::uint8_t* data,
                 std::size_t size) {
  bool is_tzx = size >= TZX_SIGNATURE_SIZE && std::memcmp(data, TZX_SIGNATURE, TZX_SIGNATURE_SIZE) == 0;
  if (!is_tzx && outcome.tap_exists) broken("TAP file made from a file that is not a tape");
  if (is_tzx && !outcome.tap_exists) broken("no TAP file from a tape");
  if (outcome.written != outcome.tap_exists) broken("result disagrees with the disk");
  check_records(outcome.tap, data, size);
  check_messages(outcome, tap_path);
}

void check_second(const Outcome& first, const Outcome& second) {
  if (first.tap.empty()) {
    if (second.tap != first.tap || second.lines != first.lines || second.written != first.written) {
      broken("second conversion differs from the first");
    }
  } else if (second.tap != first.tap || !second.lines.empty() || second.written) {
    broken("a TAP file with data was touched");
  }
}

void remove_scratch_folder() {
  std::remove((scratch_folder + "/tape.tzx").c_str());
  std::remove((scratch_folder + "/tape.tap").c_str());
  rmdir(scratch_folder.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ostrelm-fuzz.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!mkdtemp(name.data())) broken("cannot make a scratch folder", pattern);
  scratch_folder = name.data();
  std::atexit(remove_scratch_folder);
  file_layer_init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string tzx_path = scratch_folder + "/tape.tzx";
  const std::string tap_path = scratch_folder + "/tape.tap";
  write_file(tzx_path, data, size);
  int descriptors = open_descriptors();

  Outcome first = convert(tzx_path, tap_path);
  check_first(first, tap_path, data, size);
  check_second(first, convert(tzx_path, tap_path));

  std::string tape;
  if (!read_file(tzx_path, tape) || tape != std::string(reinterpret_cast<const char*>(data), size)) {
    broken("the tape was changed");
  }
  if (open_descriptors() != descriptors) broken("a file stayed open");
  std::remove(tzx_path.c_str());
  std::remove(tap_path.c_str());
  if (count_entries(scratch_folder) != 0) broken("files left behind");
  return 0;
}
