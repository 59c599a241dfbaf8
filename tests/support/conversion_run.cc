#include "tests/support/conversion_run.h"

#include "convert/tzx_to_tap.h"

ConversionRun run_conversion(const std::string& tzx_path) {
  ConversionRun run{false, {}};
  run.written = convert_tzx_to_tap(tzx_path, [&run](const std::string& line) { run.lines.push_back(line); });
  return run;
}
