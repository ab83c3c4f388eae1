// Percent of normal precipitation.
//
// Reads: the monthly precipitation table named by the argument (at most 200
// years). Writes: <id>-pctnorm.csv for the observed table <id>-spiformat.csv,
// <id>-pctnormint.csv for any other table: one record per year, each month's
// total as a percentage of its calendar month's mean over the table (-99.00
// for a missing month), then an empty record.
#pragma once

#include <string_view>

#include "catalogue/years.h"

namespace indices {

// table_arg: the 30-character blank-padded file-name argument; its first 6
// characters are the station ID.
// reference: the years of the monthly normals (every year by default).
void percentnormal(std::string_view table_arg,
                   const catalogue::YearRange& reference = catalogue::kAllYears);

}  // namespace indices
