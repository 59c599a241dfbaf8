#include "convert/tzx_conversion.h"

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
