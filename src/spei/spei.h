// The SPEI stage: the standardized precipitation-evapotranspiration index of
// the seven accumulation periods.
//
// Reads: <id>-water-balance.csv (a header line, then per month year, month,
// P, PE, ET, R, RO, L, P-hat, d, Z in millimetres; -9999.00 in the value
// columns of a missing month).
// Writes: <id>-spei.csv, a header line, then one record per record of the
// water balance: year, month and the SPEI of 1, 2, 3, 6, 9, 12 and 24 months
// (-99.00 where missing). Numerical messages go to standard output.
//
// The climatic water balance D = P - PE is summed over every window of each
// period ending in a month (a window with a missing or absent month is
// missing); each calendar month is fitted to the complete windows ending in
// it whose last month lies in the reference years, and every window is
// transformed: the fitted distribution function, clipped to [0.001, 0.999]
// as in the SPI run, and the standard normal quantile.
#pragma once

#include <string_view>

#include "catalogue/choices.h"
#include "catalogue/years.h"

namespace spei {

// choices: the distribution (log-logistic by default, or Pearson type III),
// both fitted by unbiased L-moments. reference: the years whose windows are
// fitted.
void spei(std::string_view station_id, const catalogue::Choices& choices,
          const catalogue::YearRange& reference);

}  // namespace spei
