// Fuzz target of the Palmer index: pdi_vers1 over an arbitrary daily series
// and an arbitrary daily observation file (of which it reads the latitude).
//
// Input: a parameter line (unused), then the daily series and the daily
// observation file, separated by a NUL byte.
#include "harness.h"
#include "pdsi/pdi_vers1.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  fuzz::fresh_directory();
  fuzz::write_file(fuzz::station_file("-pdsiformat.csv"), in.section(0));
  fuzz::write_file(fuzz::station_file(".csv"), in.section(1));
  fuzz::run([] { pdsi::pdi_vers1(fuzz::kStation); });
  return 0;
}
