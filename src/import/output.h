// The end of a run: every station's files, built under temporary names while
// the inputs were read (station_runs.h), put in place in order of first
// appearance, each station's pair together (temp_files.h), with one summary
// line per station.
#pragma once

#include "import/station_runs.h"

namespace importer {

struct WriteResult {
  int failed = 0;     // stations not written
  std::string fatal;  // why the run stopped before the last station (memory); empty if it did not
};

// Puts every station's files in place in settings.out_dir, with one summary
// line (or the reason it is not written) per station in im.log, flushed after
// each. Two stations with one output ID are both refused. Stops after the
// station being put in place when a signal is taken (interrupt_signal()).
WriteResult write_stations(Importer& im);

}  // namespace importer
