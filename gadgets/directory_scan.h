// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_GADGETS_DIRECTORY_SCAN_H_
#define OSTRELM_GADGETS_DIRECTORY_SCAN_H_

// Directory reading and file name patterns shared by the explorer list and
// the explorer tree. No GTK in here: the gadgets decide where rows go, this
// decides which entries there are.
//
// Names and paths are bytes exactly as the file system gives them; nothing
// here converts them (the gadgets convert for display only).
//
// Typical use:
//
//   std::string directory;             // empty: no directory yet
//   PatternList patterns;              // empty: every file
//   split_directory_pattern("/home/user/*.tzx", directory, patterns);
//   DirectoryStream dir = directory_open(directory);
//   struct stat status;
//   std::string full_path;
//   while (const struct dirent* entry =
//              directory_next_entry(dir.get(), directory, patterns, flags, &status, &full_path))
//     add_row(entry->d_name, status, full_path);

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

// File name patterns in the order given. A pattern is an fnmatch pattern
// ("*", "?", bracket expressions, backslash escapes), matched case-sensitively
// and without special treatment of a leading dot. An empty list matches every
// file.
using PatternList = std::vector<std::string>;

// Empties the list.
void pattern_list_free(PatternList& patterns);

// True when the list is empty or one of its patterns matches the name.
bool pattern_list_matches(const PatternList& patterns, const char* name);

// Splits a gadget text into a directory and a pattern list, updating both in
// place. An empty directory stands for "no directory".
//  - "" counts as "/".
//  - A text ending with "/" is all directory; the patterns stay.
//  - Otherwise the directory becomes the text up to and including its last
//    "/" (kept when there is no "/"), and the rest replaces the patterns: it
//    is cut at every ";", empty pieces are dropped, and a piece that is exactly
//    "*.*" becomes "*" so that it also matches names without a dot.
// "/home/user/*.tzx" gives "/home/user/" and {"*.tzx"}; "*.tzx;*.tap" keeps the
// directory; "/data/;" gives "/data/" and an empty list (every file).
void split_directory_pattern(const std::string& text, std::string& directory,
                             PatternList& patterns);

// The explorer flags (gadgets/explorer_flag.h) that affect the scan are
// EXPLORER_HIDE_FILES, EXPLORER_HIDE_DIRECTORIES and EXPLORER_SHOW_HIDDEN; the
// gadgets pass their flags through unchanged and other bits are ignored.

// Reads dir (opened on directory) up to its next entry to show and returns it,
// or nullptr at the end of the stream, on a stream error, or when dir is null
// (a directory that could not be opened reads as empty). The returned entry
// stays valid until the next read of the same stream.
//  - Hidden names are skipped, unless shown, before anything else is done with
//    them, and "." and ".." are never returned: they cost no stat. Neither do
//    entries that readdir already reports as non-directories (and not links)
//    when the flags or patterns reject them; every other entry costs one stat.
//  - stat follows symbolic links: a link to a directory is a directory; an
//    entry whose status cannot be read (a dangling link, a loop of links, a
//    directory without search permission) is left out. Sizes and times are
//    64-bit, so large or late-dated files are never left out for that.
//  - A directory is returned unless directories are hidden, never matched
//    against the patterns; its full path ends with "/".
//  - Anything else is returned unless files are hidden, when the patterns
//    match its name.
// status (if not null) receives the entry's status; full_path (if not null)
// receives directory + name (directory gets a "/" if it lacks one).
// Entries come in readdir order; nothing is sorted.
const struct dirent* directory_next_entry(DIR* dir, const std::string& directory,
                                          const PatternList& patterns, unsigned flags,
                                          struct stat* status, std::string* full_path);

struct DirectoryClose {
  void operator()(DIR* dir) const { closedir(dir); }
};
// An open directory stream, closed when this goes.
using DirectoryStream = std::unique_ptr<DIR, DirectoryClose>;

// opendir of the path; holds nullptr when it cannot be opened.
DirectoryStream directory_open(const std::string& path);

#endif  // OSTRELM_GADGETS_DIRECTORY_SCAN_H_
