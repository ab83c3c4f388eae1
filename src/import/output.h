// Writing the station files: each station's two files are written to
// temporary files beside their final names and put in place as a pair (the
// daily file first; when the monthly file cannot follow, or a signal comes
// between the two, the old daily file is put back), so that a failed or
// interrupted run leaves every station either as it was or complete.
#pragma once

#include <string>

#include "import/diagnostics.h"
#include "import/station_list.h"
#include "import/station_store.h"

namespace importer {

// Where and how the stations are written.
struct Settings {
  std::string out_dir = ".";
  StationList stations;
  OutputIds ids;
  int min_days = kDefaultMinDays;
};

struct WriteResult {
  int failed = 0;  // stations not written
  std::string
      fatal;  // why writing stopped before the last station (status 2); empty when it did not
};

// Builds and writes every station of the store into settings.out_dir, in
// order of first appearance, with warnings, errors and one summary line per
// station in log (flushed after each station). Stops after the station being
// written when a signal is taken (interrupt_signal()).
WriteResult write_stations(const StationStore& store, const Settings& settings, Log& log);

}  // namespace importer
