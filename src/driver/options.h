// The command line of drought: options, then the station IDs to run.
//
//   drought [-q] [--reference FIRST-LAST] [--] [ID...]
//                                 without IDs, the prompt loop
//   drought -h | --help           usage text
//   drought --version             "drought <version>"
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "records/years.h"

namespace driver {

struct Options {
  bool help = false;
  bool version = false;
  bool quiet = false;                           // -q, --quiet: nothing on standard output
  std::optional<records::YearRange> reference;  // --reference FIRST-LAST
  std::vector<std::string> station_ids;         // in the order given; empty: the prompt loop
  std::string error;  // the diagnostic of a wrong command line, else empty
};

// Reads argv[1] .. argv[argc - 1]. An argument beginning with '-' (other than
// "-" itself) is an option until "--"; every other argument is a station ID.
Options parse_options(int argc, const char* const* argv);

// The usage text printed by --help, ending with a line end.
const char* usage_text();

}  // namespace driver
