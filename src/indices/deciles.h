// Precipitation deciles.
//
// Reads: the monthly precipitation table named by the argument (at most 150
// years). Writes: <id>-deciles.csv for the observed table <id>-spiformat.csv,
// <id>-decilesint.csv for any other table: per year the station number, the
// year and each month's decile code, 1 (driest tenth) to 10 (wettest), cut
// from one sorted pool of every non-missing total; -99 for a missing month.
#pragma once

#include <string_view>

#include "catalogue/years.h"

namespace indices {

// table_arg: the 30-character blank-padded file-name argument; its first 6
// characters are the station ID.
// reference: the years of the pool (every year by default).
void deciles(std::string_view table_arg,
             const catalogue::YearRange& reference = catalogue::kAllYears);

}  // namespace indices
