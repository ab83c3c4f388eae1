// Fuzz target of the SPI results reader: read_data over arbitrary SPI value
// files fort.12, fort.22, ..., fort.72.
//
// Input: a parameter line "first_year last_year", then the seven value files
// separated by NUL bytes.
#include <string>

#include "harness.h"
#include "prep/read_data.h"
#include "records/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  const int first_year = in.param_int(0, 2000);
  const int last_year = in.param_int(1, 2001);
  fuzz::fresh_directory();
  for (int k = 1; k <= 7; ++k) {
    // A file that the input does not supply is left missing.
    if (static_cast<std::size_t>(k - 1) < in.sections.size())
      fuzz::write_file("fort." + std::to_string(10 * k + 2), in.section(k - 1));
  }
  fuzz::run([&] {
    prep::read_data(records::file_arg(fuzz::kStation, "-spi-results.csv"), first_year, last_year);
  });
  return 0;
}
