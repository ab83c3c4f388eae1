// Fuzz target of the Palmer daily series builder: pdsiform over an arbitrary
// daily observation file.
//
// Input: a parameter line (unused), then the daily file.
#include "harness.h"
#include "pdsi/pdsiform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  fuzz::fresh_directory();
  fuzz::write_file(fuzz::station_file(".csv"), in.section(0));
  fuzz::run([] { pdsi::pdsiform(fuzz::kStation); });
  return 0;
}
