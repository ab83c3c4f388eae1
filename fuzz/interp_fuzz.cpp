// Fuzz target of the interpolated monthly table: spi_format_interp over an
// arbitrary monthly precipitation file and data span.
//
// Input: a parameter line "first_year first_month last_year last_month",
// then the monthly file.
#include "harness.h"
#include "prep/spi_format_interp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  prep::DataSpan span;
  span.first_year = in.param_int(0, 2000);
  span.first_month = in.param_int(1, 1);
  span.last_year = in.param_int(2, 2001);
  span.last_month = in.param_int(3, 12);
  fuzz::fresh_directory();
  fuzz::write_file(fuzz::station_file("_PRCP.csv"), in.section(0));
  fuzz::run([&] { prep::spi_format_interp(fuzz::kStation, span); });
  return 0;
}
