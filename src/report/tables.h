// The tables and panels of the station page: the current status, the
// comparison statistics with their definitions, the drought events, the
// precipitation needed to end a drought, and the files read.
#pragma once

#include <string>
#include <string_view>

#include "report/sources.h"

namespace report {

// A value as a cell shows it: the text as written, "0.00" for a negative
// zero, empty when missing.
std::string cell_text(const Value& v);

// The panel id="status": the last month of the SPI results and every index
// of that month with its class, and the needed precipitation when present.
std::string status_panel(const Station& st);
// The statistics table inside a scrolling box, and a definition of each column.
std::string stats_table(const Station& st);
// The ten most severe events of SPI-6 (observed) and of the PDSI; empty
// without events.
std::string events_tables(const Station& st);
// The precipitation needed to end the drought, interpolated series; empty
// when the station is not in drought at its last month.
std::string needed_table(const Station& st);
std::string files_table(const Station& st);

}  // namespace report
