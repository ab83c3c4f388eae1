// Fuzz target of the Effective Drought Index: edi over an arbitrary
// effective precipitation file.
//
// Input: a parameter line (unused), then the PRN file.
#include "harness.h"
#include "indices/edi.h"
#include "records/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  fuzz::fresh_directory();
  fuzz::write_file(fuzz::station_file("-PRN.csv"), in.section(0));
  fuzz::run([] { indices::edi(records::file_arg(fuzz::kStation, "-spiformat.csv")); });
  return 0;
}
