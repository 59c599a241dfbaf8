#ifndef OSTRELM_TESTS_SUPPORT_CONVERSION_RUN_H_
#define OSTRELM_TESTS_SUPPORT_CONVERSION_RUN_H_

#include <string>
#include <vector>

// What one call of convert_tzx_to_tap did: its result and its message lines.
struct ConversionRun {
  bool written;
  std::vector<std::string> lines;
};

ConversionRun run_conversion(const std::string& tzx_path);

#endif  // OSTRELM_TESTS_SUPPORT_CONVERSION_RUN_H_
