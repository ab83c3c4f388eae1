// Monthly precipitation table of the observed series.
//
// Reads "<id>-fill-prcp.csv" (one row of 31 daily values per month, -99.9 on
// a gap day) and writes "<id>-spiformat.csv": one record per year, station
// number, year and 12 monthly totals in integer hundredths of an inch, -9999
// for a month outside the data or made only of gap days. Every gap day is
// listed in "<id>-msgdata.csv" as year, month, day.
#pragma once

#include <string_view>

namespace prep {

void spiformat(std::string_view station_id);

}  // namespace prep
