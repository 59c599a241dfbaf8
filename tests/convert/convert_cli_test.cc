// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line converter, run as a separate process: its output lines,
// its standard error, its exit status and the files it leaves.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/fanotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "convert/cli_output.h"
#include "convert/tzx_to_tap.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/tzx_builder.h"

namespace {

class ConvertCli : public ::testing::Test {
 protected:
  // Runs the converter through the shell in `where` (the scratch directory by
  // default, the test's own working directory when empty); keeps its output
  // and standard error. An end by a signal gives the shell's 128 + signal.
  int run(const std::string& arguments, const std::string& prefix = "", const std::string& where = "-") {
    std::string cd = where.empty() ? "" : "cd " + (where == "-" ? directory.path() : where) + " && ";
    std::string redirect = piped ? " 2>" + directory.file("err") + " | cat >" + directory.file("out")
                                 : " >" + directory.file("out") + " 2>" + directory.file("err");
    int status = std::system((cd + prefix + program + " " + arguments + redirect).c_str());
    err = read_file(directory.file("err"));
    out = read_file(directory.file("out"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  void SetUp() override { write_file(directory.file("a.tzx"), tzx(standard_block(data))); }

  const char* build = std::getenv("OSTRELM_BUILD_DIR");
  const std::string program = std::filesystem::absolute(build != nullptr ? build : "build") / "ostrelm-convert";
  ScratchDirectory directory;
  std::string data = pattern_bytes(19), out, err;
  bool piped = false;  // standard output through a pipe, whose reader's status is the one given back
};

TEST_F(ConvertCli, ExitStatusOutputLinesAndStandardError) {
  // An empty TAP file is written like a missing one; one byte is data: the
  // tape is passed over, and says so on standard error.
  for (const std::string before : {"", "x"}) {
    write_file(directory.file("a.tap"), before);
    EXPECT_EQ(run("a.tzx"), before.empty() ? 0 : 1);
    EXPECT_EQ(out + err, "a.tzx\n" + (before.empty() ? "" : "ostrelm-convert: a.tzx: " + directory.file("a.tap") +
                                                          " already holds data, passed over\n"));
    EXPECT_EQ(read_file(directory.file("a.tap")), before.empty() ? tap_record(data) : before);
  }
  // The size limit's signal, at its default, neither ends the process nor leaves half a TAP file.
  write_file(directory.file("tape.tzx"), tzx(standard_block(pattern_bytes(65535))));
  EXPECT_EQ(run("tape.tzx", "prlimit --fsize=50000 "), 1);
  EXPECT_EQ(out, directory.file("tape.tap") + ": cannot write the TAP file\ntape.tzx\n");
  EXPECT_FALSE(path_exists(directory.file("tape.tap")));
  // Output that cannot be written (a full device; a pipe without a reader, as
  // `| head -n 1` leaves it) is told, and the run stops after the file at hand.
  for (const char* prefix : {"sh -c '\"$0\" \"$@\" >/dev/full' ", "/usr/bin/python3 -c 'import os,sys; r,w=os.pipe(); "
                             "os.close(r); os.dup2(w,1); os.execv(sys.argv[1], sys.argv[1:])' "}) {
    std::remove(directory.file("a.tap").c_str());
    EXPECT_EQ(run("a.tzx tape.tzx", prefix), 1);
    EXPECT_EQ(err, "ostrelm-convert: cannot write to standard output\n");
    EXPECT_EQ(read_file(directory.file("a.tap")), tap_record(data));
    EXPECT_FALSE(path_exists(directory.file("tape.tap"))) << prefix;
  }
}

// Into a pipe, the first file's line goes out at once, so that `| head -n 1`
// has its line; a line held back goes out once due, even in the middle of the
// next file; a reader that then goes away is noticed at the end of the next
// file, within the moment in which that file's line is held back, and ends
// the run. Run in a child, whose standard output can be a pipe.
TEST(ConvertCliOutput, HeldLinesGoOutWhenDueAndAGoneReaderIsNoticed) {
  const pid_t child = fork();
  if (child == 0) {
    int ends[2];
    char line[8] = {};
    signal(SIGPIPE, SIG_IGN);
    // A line held back must fail the test, not block it.
    const bool piped = pipe(ends) == 0 && fcntl(ends[0], F_SETFL, O_NONBLOCK) == 0 &&
                       dup2(ends[1], STDOUT_FILENO) == STDOUT_FILENO;
    cli_output_begin();
    std::fputs("a.tzx\n", stdout);
    const bool first_out = cli_output_file_done() && read(ends[0], line, sizeof line) == 6 &&
                           std::string(line) == "a.tzx\n";
    std::fputs("c.tzx\n", stdout);
    const bool second_done = cli_output_file_done();
    usleep(6000);
    cli_output_pace();
    const bool held_out = second_done && read(ends[0], line, sizeof line) == 6 && std::string(line) == "c.tzx\n";
    close(ends[0]);
    std::fputs("b.tzx\n", stdout);
    _exit(piped && first_out && held_out && !cli_output_file_done() ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Usage errors convert nothing; after "--" every argument is a name.
TEST_F(ConvertCli, UsageErrorsAndNamesAfterTheEndOfOptions) {
  for (const char* arguments : {"", "--", "--frobnicate a.tzx", "-x a.tzx", "a.tzx -d", "-d missing a.tzx",
                                "-d a.tzx a.tzx", "--output-directory= a.tzx"}) {
    EXPECT_EQ(run(arguments), 2) << arguments;
    EXPECT_NE(err.find("Usage"), std::string::npos) << arguments;
    EXPECT_FALSE(path_exists(directory.file("a.tap"))) << arguments;
  }
  EXPECT_TRUE(run("--help") == 0 && out.find("Usage") == 0) << out;
  write_file(directory.file("-a.tzx"), tzx(standard_block(data)));
  EXPECT_EQ(run("-- -a.tzx --help - --"), 1);
  EXPECT_EQ(out, "-a.tzx\n");
  EXPECT_EQ(read_file(directory.file("-a.tap")), tap_record(data));
  EXPECT_EQ(err, "ostrelm-convert: --help: not a .tzx file, passed over\nostrelm-convert: -: not a .tzx file, passed "
                 "over\nostrelm-convert: --: not a .tzx file, passed over\n");
}

// A termination signal sent while the converter is in a tape of 1 MB (held
// at its open by fanotify, so the signal is surely there before the tape is
// through) ends the run by that signal once the TAP file is whole and every
// TAP file's line is out, into a file or a pipe, before the next tape; one
// the caller ignores (a HUP under nohup, signal 0 here) changes nothing: the
// next tape is passed over. Into a file, each line is out before the next
// tape begins.
TEST_F(ConvertCli, ATerminationSignalEndsTheRunAfterTheFileAtHand) {
  std::string tape, tap;
  for (int i = 0; i < 16; ++i) tape += pure_block(pattern_bytes(65535, i)), tap += tap_record(pattern_bytes(65535, i));
  write_file(directory.file("big.tzx"), tzx(tape));
  int opens = fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY);
  if (opens < 0 || fanotify_mark(opens, FAN_MARK_ADD, FAN_OPEN_PERM, AT_FDCWD, directory.file("big.tzx").c_str())) {
    GTEST_SKIP() << "no fanotify permission events (they need root)";
  }
  write_file(directory.file("c.tzx"), tzx(standard_block(data)));
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, 0, -SIGINT, -SIGTERM}) {
    piped = signal_number < 0;
    signal_number = std::abs(signal_number);
    for (const char* name : {"a.tap", "c.tap", "big.tap"}) std::remove(directory.file(name).c_str());
    std::thread holder([&] {
      pollfd event = {opens, POLLIN, 0};
      ASSERT_EQ(poll(&event, 1, 60000), 1) << "big.tzx was never opened";
      fanotify_event_metadata opening;
      ASSERT_EQ(read(opens, &opening, sizeof opening), static_cast<ssize_t>(sizeof opening));
      kill(opening.pid, signal_number == 0 ? SIGHUP : signal_number);
      if (!piped) {
        EXPECT_EQ(read_file(directory.file("out")), "a.tzx\nc.tzx\n") << "not out before the next tape";
      }
      fanotify_response allow = {opening.fd, FAN_ALLOW};
      ASSERT_EQ(write(opens, &allow, sizeof allow), static_cast<ssize_t>(sizeof allow));
      close(opening.fd);
    });
    const int status = run("a.tzx c.tzx big.tzx a.tzx", signal_number == 0 ? "ulimit -c 0; trap '' HUP; " : "ulimit -c 0; ");
    holder.join();
    if (HasFatalFailure()) break;  // the tape was never opened: the other signals would wait as long
    if (!piped) {
      EXPECT_EQ(status, signal_number == 0 ? 1 : 128 + signal_number);
    }
    EXPECT_EQ(out, "a.tzx\nc.tzx\nbig.tzx\n" + std::string(signal_number == 0 ? "a.tzx\n" : "")) << signal_number;
    EXPECT_TRUE(read_file(directory.file("big.tap")) == tap) << signal_number << ": the TAP file is not whole";
  }
  close(opens);
}

// TAP files into an output directory, from tapes in a folder the converter
// may not write: the bytes a conversion in place gives, nothing beside the
// tapes, a name met twice passed over, an unwritable directory refused. Then
// the empty TAP file of another user in a shared sticky folder: it stays as it
// is, and the line says why.
TEST_F(ConvertCli, AnOutputDirectoryForTapesInAReadOnlyFolderAndASharedFolder) {
  const std::string as_nobody = getuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  if (std::system((as_nobody + "true").c_str()) != 0) GTEST_SKIP() << "cannot run as another user";
  const std::string in = directory.make_directory("in"), again = directory.make_directory("in/again");
  const std::string output = directory.make_directory("taps"), shared = directory.make_directory("shared");
  write_file(in + "a.tzx", tzx(standard_block(data)));
  write_file(in + "b.TZX", tzx(standard_block(data) + "\x12"));
  write_file(again + "a.tzx", tzx(standard_block(pattern_bytes(7))));
  ASSERT_EQ(chmod(in.c_str(), 0555) | chmod(again.c_str(), 0555) | chmod(output.c_str(), 0777), 0);
  EXPECT_EQ(run("-d " + output + " a.tzx b.TZX again/a.tzx", as_nobody, in), 1);
  EXPECT_EQ(out, "a.tzx\n" + output + "b.tap: Unsupported block found ($12)\nb.TZX\nagain/a.tzx\n");
  EXPECT_EQ(err, "ostrelm-convert: again/a.tzx: " + output + "a.tap already holds data, passed over\n");
  for (const char* name : {"a.tap", "b.tap"}) EXPECT_EQ(read_file(output + name), tap_record(data)) << name;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(in), {}), 3);
  EXPECT_EQ(run("--output-directory " + in + " a.tzx", as_nobody, in), 1);
  EXPECT_EQ(out, in + "a.tap: cannot create the TAP file\na.tzx\n");
  if (as_nobody.empty()) return;
  write_file(shared + "a.tap", "");
  ASSERT_EQ(chmod(shared.c_str(), 01777) | chmod((shared + "a.tap").c_str(), 0666) |
                chown((shared + "a.tap").c_str(), 65533, 65533), 0);
  EXPECT_EQ(run("-d " + shared + " a.tzx", as_nobody), 1);
  EXPECT_EQ(out, shared + "a.tap: cannot replace the empty TAP file: it belongs to another user, and this shared "
                          "folder lets only its owner replace it\na.tzx\n");
  EXPECT_EQ(read_file(shared + "a.tap"), "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(shared), {}), 1);
}

// A working directory short enough for its path to be known but not that of
// the tape in it, then one deeper: the names are opened as given, and the
// messages show the full path while it can be had.
TEST_F(ConvertCli, AWorkingDirectoryPastTheLongestPath) {
  const std::string start = std::filesystem::current_path(), step(100, 'd'), stem(146, 't');
  std::string deep = directory.path();
  ASSERT_EQ(chdir(deep.c_str()), 0);
  int depth = 0;
  auto descend = [&] { return ++depth, deep += step + "/", mkdir(step.c_str(), 0755) == 0 && chdir(step.c_str()) == 0; };
  auto convert = [&](const std::string& option, const std::string& shown) {
    write_file(stem + ".tzx", tzx(standard_block(data) + "\x15"));
    EXPECT_EQ(run(option + stem + ".tzx", "", ""), 1) << err;
    EXPECT_EQ(out, shown + stem + ".tap: Unsupported block found ($15)\n" + stem + ".tzx\n");
    EXPECT_EQ(read_file(stem + ".tap"), tap_record(data));
  };
  while (deep.size() + step.size() <= 4095) ASSERT_TRUE(descend());
  convert("", deep);
  ASSERT_TRUE(descend());
  convert("-d . ", "./");
  for (; depth > 0; --depth) ASSERT_TRUE(chdir("..") == 0 && std::filesystem::remove_all(step) > 0);
  ASSERT_EQ(chdir(start.c_str()), 0);
}

// A tape cut short by another program while it is read: at the boundary after
// a block, a byte past it (inside the next block's fixed fields), or to
// nothing, at the first block's size message, which comes before its data is
// read. Its size at open promised more bytes than came, so no TAP file is
// left and the line says the tape could not be read.
TEST_F(ConvertCli, ATapeCutWhileReadIsNoticedFromTheSizeAtOpen) {
  const std::string oversized = pure_block(pattern_bytes(70000)), path = directory.file("cut.tzx");
  const off_t boundary = static_cast<off_t>(tzx("").size() + oversized.size());
  for (off_t cut : {boundary, boundary + 1, off_t{0}}) {
    write_file(path, tzx(oversized + standard_block("after")));
    std::string lines;
    EXPECT_FALSE(convert_tzx_to_tap(path, [&](const std::string& line) {
      EXPECT_TRUE(!lines.empty() || truncate(path.c_str(), cut) == 0);
      lines += line + "\n";
    }));
    EXPECT_EQ(lines, directory.file("cut.tap: size over 65535 bytes cannot be saved in TAP\n") +
                         directory.file("cut.tap: cannot read the TZX file\n")) << cut;
    EXPECT_FALSE(path_exists(directory.file("cut.tap"))) << cut;
  }
}

}  // namespace
