// The complete Palmer indices: PDSI, PHDI and PMDI by Palmer's procedure for
// establishing and ending wet and dry spells, with backtracking.
//
// palmer reads Z from <id>-pdsi.csv (a Z of -99.00, not a number or that
// cannot be read is missing) and writes <id>-palmer.csv:
//   a header "YEAR,MONTH,Z,PDSI,PHDI,PMDI,X1,X2,X3,PE", then per month of
//   <id>-pdsi.csv, in its order, year I4, month I2, and Z, PDSI, PHDI, PMDI,
//   X1, X2, X3 and Pe (percent), each F8.2 after a comma; -99.00 in every
//   value column of a month whose Z is missing.
// The PDSI of the last months, whose spell is not yet decided, is
// provisional: later months can change it.
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace palmer {

// Builds <id>-palmer.csv from <id>-pdsi.csv (file numbers 92 and 93).
void palmer(std::string_view station_id);

// The indices of one month. x1 and x2 are the month's wet and dry indices
// before any reset, x3 the spell index carried after the month (0: no spell),
// pe the probability in percent that the spell has ended.
struct Month {
  bool missing = false;
  double z = 0, pdsi = 0, phdi = 0, pmdi = 0, x1 = 0, x2 = 0, x3 = 0, pe = 0;
};

// The indices of every month of a Z series; a Z that is -99.0 or not finite
// is a missing month, which leaves the spell state as it is.
std::vector<Month> palmer_indices(std::span<const double> z);

}  // namespace palmer
