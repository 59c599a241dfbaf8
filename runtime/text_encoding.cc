// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/text_encoding.h"

namespace {

// Code points of the eight bytes where ISO-8859-15 differs from ISO-8859-1.
gunichar latin9_code_point(unsigned char byte) {
  switch (byte) {
    case 0xA4: return 0x20AC;  // euro sign
    case 0xA6: return 0x0160;  // S caron
    case 0xA8: return 0x0161;  // s caron
    case 0xB4: return 0x017D;  // Z caron
    case 0xB8: return 0x017E;  // z caron
    case 0xBC: return 0x0152;  // OE ligature
    case 0xBD: return 0x0153;  // oe ligature
    case 0xBE: return 0x0178;  // Y diaeresis
    default: return byte;
  }
}

// Number of continuation bytes a lead byte announces and the value bits it
// carries; -1 for a byte that cannot start a character.
int utf8_sequence_length(unsigned char lead, unsigned* value) {
  if (lead < 0x80) { *value = lead; return 0; }
  if (lead < 0xC0) return -1;
  if (lead < 0xE0) { *value = lead & 0x1F; return 1; }
  if (lead < 0xF0) { *value = lead & 0x0F; return 2; }
  if (lead < 0xF8) { *value = lead & 0x07; return 3; }
  return -1;
}

}  // namespace

void text_free(gchar* text) { g_free(text); }

ToolkitText text_latin9_to_utf8(const char* text) {
  GString* out = g_string_new(nullptr);
  for (const char* p = text ? text : ""; *p; ++p)
    g_string_append_unichar(out, latin9_code_point(static_cast<unsigned char>(*p)));
  return ToolkitText(g_string_free(out, FALSE));
}

ToolkitText text_to_toolkit(const char* text) {
  if (!text) return ToolkitText(g_strdup(""));
  gsize bytes_read = 0;
  gchar* converted = g_convert(text, -1, "UTF-8", "ISO-8859-15", &bytes_read, nullptr, nullptr);
  // A missing iconv module must not hand GTK raw 8-bit bytes, which it would
  // reject as invalid UTF-8; the table above gives the same result.
  if (!converted) return text_latin9_to_utf8(text);
  return ToolkitText(converted);
}

ToolkitText text_to_toolkit(const std::string& text) { return text_to_toolkit(text.c_str()); }

std::string text_from_toolkit(const char* text) {
  std::string result;
  if (!text) return result;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    unsigned value = 0;
    int continuation = utf8_sequence_length(*p++, &value);
    if (continuation < 0) break;
    for (; continuation > 0; --continuation, ++p) {
      // The NUL at the end fails this test too, so a cut sequence stops here.
      if ((*p & 0xC0) != 0x80) return result;
      value = (value << 6) | (*p & 0x3F);
    }
    if (value > 0xFF || value == 0) break;
    result.push_back(static_cast<char>(value));
  }
  return result;
}
