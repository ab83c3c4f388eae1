// Fuzz target of the SPI run: spicompute over an arbitrary monthly table, with
// the per-period value files closed as a station run closes them.
//
// Input: a parameter line "first_year", then the monthly table.
#include "compute/spicompute.h"
#include "harness.h"
#include "records/files.h"
#include "records/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  const int first_year = in.param_int(0, 2000);
  fuzz::fresh_directory();
  const std::string table = fuzz::station_file("-spiformat.csv");
  fuzz::write_file(table, in.section(0));
  fuzz::run([&] {
    compute::spicompute(records::file_arg(fuzz::kStation, "-spiformat.csv"), first_year);
    for (int k = 1; k <= 7; ++k) records::close(10 * k + 2);
  });
  return 0;
}
