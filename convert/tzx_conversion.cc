// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/tzx_conversion.h"

#include <algorithm>

#include "runtime/file.h"

namespace {

// Fewer bytes than asked while the size at open promised them: the file shrank
// while it was read (another program rewrote or truncated it), or a read
// failed. Whatever was read may not belong together, so no TAP file is left.
// A file that ends where its size said ends quietly: that is the caller's.
void check_delivery(TzxConversion& conversion, std::uint64_t asked, std::uint64_t got) {
  if (got >= std::min(asked, conversion.input_left) || conversion.write_failed) return;
  tzx_conversion_report(conversion, "cannot read the TZX file");
  conversion.write_failed = true;
  conversion.stop = true;
}

// A file that grows while it is read yields more than its size promised.
void count_off(TzxConversion& conversion, std::uint64_t asked, std::uint64_t got) {
  check_delivery(conversion, asked, got);
  conversion.input_left -= std::min(got, conversion.input_left);
}

}  // namespace

std::size_t tzx_conversion_read(TzxConversion& conversion, void* destination, std::size_t n) {
  std::size_t got = file_read_data(conversion.input, destination, n);
  count_off(conversion, n, got);
  return got;
}

std::uint64_t tzx_conversion_skip(TzxConversion& conversion, std::uint64_t n) {
  std::uint64_t passed = file_skip(conversion.input, n);
  count_off(conversion, n, passed);
  return passed;
}

void tzx_conversion_report(TzxConversion& conversion, const std::string& text) {
  if (conversion.sink) conversion.sink(conversion.tap_path + ": " + text);
}

void tzx_conversion_cut_short(TzxConversion& conversion) {
  if (conversion.write_failed) return;  // a shrunk file, already reported
  tzx_conversion_report(conversion, "the TZX file ends inside a block");
  conversion.stop = true;
}

void tzx_conversion_write_failed(TzxConversion& conversion) {
  tzx_conversion_report(conversion, "cannot write the TAP file");
  conversion.write_failed = true;
  conversion.stop = true;
}
