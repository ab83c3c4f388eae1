// Monthly precipitation table of the interpolated series.
//
// Reads "<id>_PRCP.csv" (one record per month: station, a real, a real, an
// integer, month, year, precipitation in inches), keeps the months inside the
// data span in file order, and writes "<id>-spi-interpolated.csv" in the layout
// of "<id>-spiformat.csv": integer hundredths of an inch, -9999 for a month
// outside the span or one for which the input has no value.
#pragma once

#include <string_view>

#include "prep/readit.h"

namespace prep {

void spi_format_interp(std::string_view station_id, const DataSpan& span);

}  // namespace prep
