// Fuzz target of the monthly indices: percentnormal, computeedi (which ends
// with edi) and deciles over an arbitrary monthly table.
//
// Input: a parameter line whose first number, when odd, names the table as
// the interpolated one (the other output names), then the monthly table.
#include "harness.h"
#include "indices/computeedi.h"
#include "indices/deciles.h"
#include "indices/percentnormal.h"
#include "records/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  const char* suffix = in.param(0, 0) % 2 ? "-spi-interpolated.csv" : "-spiformat.csv";
  fuzz::fresh_directory();
  fuzz::write_file(fuzz::station_file(suffix), in.section(0));
  const std::string arg = records::file_arg(fuzz::kStation, suffix);
  fuzz::run([&] { indices::percentnormal(arg); });
  fuzz::run([&] { indices::computeedi(arg); });
  fuzz::run([&] { indices::deciles(arg); });
  return 0;
}
