// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_TZX_TO_TAP_H_
#define OSTRELM_CONVERT_TZX_TO_TAP_H_

#include <functional>
#include <string>

// Receives each message line of a conversion at the moment it arises: the log
// editor in the window, standard output on the command line.
using MessageSink = std::function<void(const std::string& line)>;

// Called before each block of a tape, so that a caller with a window keeps it
// drawing through one long tape. It must not touch the files being converted.
using ConversionKeepAlive = std::function<void()>;

// Where one conversion reads and writes. Both paths are opened as given,
// relative to the working directory however deep it lies; the messages begin
// with tap_shown, the TAP file's path as the user should read it.
struct TapConversionPaths {
  std::string tzx;
  std::string tap;
  std::string tap_shown;
};

enum TapConversionOutcome {
  TAP_CONVERSION_WRITTEN,      // a TAP file was placed (messages may say it lacks blocks of the tape)
  TAP_CONVERSION_PASSED_OVER,  // a TAP file with data was there, or took the place meanwhile
  TAP_CONVERSION_FAILED,       // no TAP file; a message says why
};

// Converts the TZX file into a TAP file. A TAP file that already holds data
// is never touched, and the input is only ever read. Every message line is
// tap_shown, ": " and the text.
TapConversionOutcome convert_tzx_file(const TapConversionPaths& paths, const MessageSink& sink,
                                      const ConversionKeepAlive& keep_alive = {});

// The same for a TAP file beside the tape (the path with its last extension
// replaced by ".tap"), which the messages name as it is written. Returns true
// when a TAP file was written.
bool convert_tzx_to_tap(const std::string& tzx_path, const MessageSink& sink,
                        const ConversionKeepAlive& keep_alive = {});

#endif  // OSTRELM_CONVERT_TZX_TO_TAP_H_
