// The monthly precipitation table as the monthly indices read it, and its
// monthly normals.
//
// Reads: a table of one record per year (station number, year, 12 monthly
// totals in hundredths of an inch, -9999 for a missing month), list-directed,
// through a file number the caller has opened. Writes nothing.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "catalogue/catalogue.h"
#include "catalogue/years.h"

namespace indices {

inline constexpr int kMissingTotal = catalogue::kMissingMonth;
// The most years any monthly index holds; a stage may read fewer.
inline constexpr int kMaxTableYears = catalogue::kPercentYears;

struct MonthlyTable {
  int n = 0;        // records read completely
  int station = 0;  // station number of the last complete record
  std::array<int, kMaxTableYears> year{};
  std::array<std::array<int, 12>, kMaxTableYears> total{};  // [year index][month - 1]
};

// Reads at most max_years records (capped at kMaxTableYears), stopping
// silently at the end of the file or at the first record that cannot be read;
// that record and everything after it are ignored.
MonthlyTable read_monthly_table(int unit, int max_years);
// The same from the file a file-name argument names, attached to the file
// number for the read and detached after it.
MonthlyTable read_monthly_table(std::string_view table_arg, int unit, int max_years);

// The mean of the non-missing totals of each calendar month over the years
// read that lie in the reference years (every year by default), summed in
// single precision. A month without any total has the normal 0.
std::array<float, 12> monthly_normals(const MonthlyTable& table,
                                      const catalogue::YearRange& reference = catalogue::kAllYears);

// The name of a monthly index's output file: the file of the station ID of
// the table's file-name argument, observed when the table is the station's
// observed table (<id>-spiformat.csv), else interpolated.
std::string output_name(std::string_view table_arg, const catalogue::FileRow& observed,
                        const catalogue::FileRow& interpolated);

}  // namespace indices
