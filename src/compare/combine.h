// Combined SPI table: the SPI of the observed and of the interpolated series
// side by side.
//
// Reads "<id>-spi-results.csv" (observed) and "<id>-spi-results-int.csv"
// (interpolated), each: year, month, the SPI of the seven accumulation
// periods; rewrites "<id>-spi-results.csv" as year, month, the seven observed
// values and the seven interpolated values of each month.
#pragma once

#include <string_view>

namespace compare {

void combine(std::string_view station_id);

}  // namespace compare
