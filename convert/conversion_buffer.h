// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_CONVERT_CONVERSION_BUFFER_H_
#define OSTRELM_CONVERT_CONVERSION_BUFFER_H_

#include <cstddef>

// One block of memory serves every block of every conversion: a block body
// that reaches the TAP file is at most 65535 bytes (a 16-bit record length).
constexpr std::size_t CONVERSION_BUFFER_SIZE = 0x10000;

// The buffer, allocated on the first call (start-up calls it early) and kept
// until the process ends.
unsigned char* conversion_buffer();

#endif  // OSTRELM_CONVERT_CONVERSION_BUFFER_H_
