// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_RUNTIME_TEXT_ENCODING_H_
#define OSTRELM_RUNTIME_TEXT_ENCODING_H_

// Conversion between program strings (8-bit bytes, NUL-terminated) and the
// UTF-8 that GTK takes and gives.
//
// The two directions are deliberately not symmetric:
//  - toward GTK a program string is read as ISO-8859-15, so byte 0xA4 shows
//    as the euro sign;
//  - from GTK only the code points 0 to 255 come back, one byte each (the
//    ISO-8859-1 range); the text ends at the first character outside it.
//
// Typical use, the converted copy living only as long as GTK needs it:
//
//   gtk_window_set_title(window, text_to_toolkit(title).get());
//   std::string name = text_from_toolkit(gtk_label_get_text(label));

#include <glib.h>

#include <memory>
#include <string>

// Releases a toolkit string made by text_to_toolkit (g_free). Only needed for
// a pointer taken out of a ToolkitText with release().
void text_free(gchar* text);

struct ToolkitTextFree {
  void operator()(gchar* text) const { text_free(text); }
};

// A GLib-allocated, NUL-terminated UTF-8 copy of a program string. Pass
// get() to GTK, which copies it; the copy is freed when this goes.
using ToolkitText = std::unique_ptr<gchar, ToolkitTextFree>;

// Program string (read as ISO-8859-15, up to its first NUL) to UTF-8 for
// GTK. Never returns an empty pointer; a null text gives "".
ToolkitText text_to_toolkit(const char* text);
ToolkitText text_to_toolkit(const std::string& text);

// The ISO-8859-15 decoding done without iconv; text_to_toolkit falls back to
// it when g_convert cannot convert, so GTK never receives invalid UTF-8.
ToolkitText text_latin9_to_utf8(const char* text);

// UTF-8 from GTK (null allowed, giving "") to a program string. Decoding stops
// without notice, keeping what was decoded so far, at the first: character
// above U+00FF, stray continuation byte, byte 0xF8 or above, malformed
// continuation, or sequence cut short. Overlong forms are accepted (0xC1 0x81
// is "A"); a decoded 0 ends the string. The result's size() is its length.
std::string text_from_toolkit(const char* text);

#endif  // OSTRELM_RUNTIME_TEXT_ENCODING_H_
