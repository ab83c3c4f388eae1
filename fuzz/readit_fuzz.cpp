// Fuzz target of the daily record reader and the observed monthly table:
// readit then spiformat over an arbitrary daily observation file.
//
// Input: a parameter line (unused, may be empty), then the daily file.
#include "harness.h"
#include "prep/readit.h"
#include "prep/spiformat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  fuzz::fresh_directory();
  fuzz::write_file(fuzz::station_file(".csv"), in.section(0));
  fuzz::run([] {
    prep::readit(fuzz::kStation);
    prep::spiformat(fuzz::kStation);
  });
  return 0;
}
