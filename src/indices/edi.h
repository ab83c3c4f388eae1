// Effective Drought Index.
//
// Reads: <id>-PRN.csv (header, then year, month, EP, DEP, SEP, PRN per month;
// at most 2000 months). Writes: <id>-EDI.csv for the observed table
// <id>-spiformat.csv, <id>-EDIint.csv for any other table: a header, each
// month's values as read with its EDI (PRN over the standard deviation of PRN
// over the file), then an empty record.
#pragma once

#include <string_view>

namespace indices {

// table_arg: the table name computeedi received (30 characters, blank-padded);
// its first 6 characters are the station ID.
void edi(std::string_view table_arg);

}  // namespace indices
