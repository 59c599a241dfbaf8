// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/conversion_buffer.h"

#include <memory>

unsigned char* conversion_buffer() {
  static const std::unique_ptr<unsigned char[]> buffer(new unsigned char[CONVERSION_BUFFER_SIZE]());
  return buffer.get();
}
