// Fuzz target of the SPI comparison: combine then statistics over arbitrary
// observed and interpolated results files, then statistics alone over an
// arbitrary combined table.
//
// Input: a parameter line (unused), then the observed results file, the
// interpolated results file and a combined table, separated by NUL bytes.
#include "compare/combine.h"
#include "compare/statistics.h"
#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  fuzz::fresh_directory();
  fuzz::write_file(fuzz::station_file("-spi-results.csv"), in.section(0));
  fuzz::write_file(fuzz::station_file("-spi-results-int.csv"), in.section(1));
  fuzz::run([] {
    compare::combine(fuzz::kStation);
    compare::statistics(fuzz::kStation);
  });
  fuzz::write_file(fuzz::station_file("-spi-results.csv"), in.section(2));
  fuzz::run([] { compare::statistics(fuzz::kStation); });
  return 0;
}
