// The command line of drought: options, then the station IDs to run.
//
//   drought [options] [--] [ID...]   without IDs, the prompt loop
//   drought -h | --help              usage text
//   drought --version                "drought <version>"
#pragma once

#include <string>
#include <vector>

#include "catalogue/choices.h"

namespace driver {

struct Options {
  bool help = false;
  bool version = false;
  bool quiet = false;                    // -q, --quiet: nothing on standard output
  catalogue::Choices choices;            // --reference, --lmoments, --extended, ...
  std::vector<std::string> station_ids;  // in the order given; empty: the prompt loop
  std::string error;                     // the diagnostic of a wrong command line, else empty
};

// Reads argv[1] .. argv[argc - 1]. An argument beginning with '-' (other than
// "-" itself) is an option until "--"; every other argument is a station ID.
// An option's value follows as the next argument or after '='.
Options parse_options(int argc, const char* const* argv);

// The usage text printed by --help, ending with a line end.
const char* usage_text();

// The options of a run that change values, as one line naming them
// ("--reference 1981-2010 --lmoments unbiased"), or empty when there is none.
std::string value_options_text(const catalogue::Choices& choices);

}  // namespace driver
