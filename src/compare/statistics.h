// Comparison statistics of the observed and interpolated SPI.
//
// Reads the combined table "<id>-spi-results.csv" and, for each of the seven
// accumulation periods, compares the months where both values are present;
// writes a header and one record of twelve figures per period to
// "<id>-spi-stats.csv".
#pragma once

#include <string_view>

namespace compare {

void statistics(std::string_view station_id);

}  // namespace compare
