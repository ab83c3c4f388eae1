// Effective precipitation and its departures, the input of the Effective
// Drought Index.
//
// Reads: the monthly precipitation table named by the argument (at most 200
// years, consecutive and ascending). Writes: <id>-PRN.csv, a header and one
// record per month from the first month with a full twelve-month window to
// the last data month: year, month, EP, DEP, SEP, PRN. Then calls edi with the
// same argument.
#pragma once

#include <string_view>

namespace indices {

// table_arg: the 30-character blank-padded file-name argument; its first 6
// characters are the station ID.
void computeedi(std::string_view table_arg);

}  // namespace indices
