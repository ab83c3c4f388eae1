// The tidy table <id>-indices.csv: every monthly value of the station, one per
// row, under the header station,year,month,index,period,series,value. Rows
// follow the order of the station's tracks (index, series, period) and time
// within a track; a missing value is an empty field; lines end with LF.
#pragma once

#include <string>

#include "report/sources.h"

namespace report {

inline constexpr const char* kTidyHeader = "station,year,month,index,period,series,value";

// The whole table as text.
std::string tidy_table(const Station& station);

}  // namespace report
