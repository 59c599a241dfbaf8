// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/tzx_conversion.h"

#include <algorithm>

#include "runtime/file.h"

namespace {

// A file that grows while it is read yields more than its size promised.
void count_off(TzxConversion& conversion, std::uint64_t n) {
  conversion.input_left -= std::min(n, conversion.input_left);
}

}  // namespace

std::size_t tzx_conversion_read(TzxConversion& conversion, void* destination, std::size_t n) {
  std::size_t got = file_read_data(conversion.input, destination, n);
  count_off(conversion, got);
  return got;
}

std::uint64_t tzx_conversion_skip(TzxConversion& conversion, std::uint64_t n) {
  std::uint64_t passed = file_skip(conversion.input, n);
  count_off(conversion, passed);
  return passed;
}

void tzx_conversion_report(TzxConversion& conversion, const std::string& text) {
  if (conversion.sink) conversion.sink(conversion.tap_path + ": " + text);
}

void tzx_conversion_cut_short(TzxConversion& conversion) {
  tzx_conversion_report(conversion, "the TZX file ends inside a block");
  conversion.stop = true;
}

void tzx_conversion_write_failed(TzxConversion& conversion) {
  tzx_conversion_report(conversion, "cannot write the TAP file");
  conversion.write_failed = true;
  conversion.stop = true;
}
