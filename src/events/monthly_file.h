// Reading the monthly index files of the events and needed stages: one record
// per month (year, month, then the values, list-directed), with or without a
// header line. Values are kept in whole hundredths, exactly as the files show
// them to two decimals, so that a value of -1.00 lies at a threshold of -1.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"

namespace events {

// A month without a value: the file's missing marker, a value that is not a
// finite number or cannot be read, or a month the file has no record for.
inline constexpr int kNoValue = std::numeric_limits<int>::min();

// The months a file holds at most, counted from its first record; records
// beyond are left out.
inline constexpr std::size_t kMaxMonths = 12 * catalogue::kLongestRecordYears;

// The most values a record carries (the combined SPI table).
inline constexpr int kMaxColumns = 2 * catalogue::kPeriods;

// The accumulation periods of the events and of the needed precipitation, and
// their columns in the files with one column per period (1, 2, 3, 6, 9, 12, 24
// months).
inline constexpr std::array<int, 3> kDroughtPeriods{3, 6, 12};
inline constexpr std::array<int, 3> kDroughtColumns{2, 3, 5};
static_assert(catalogue::kPeriodMonths[2] == 3 && catalogue::kPeriodMonths[3] == 6 &&
              catalogue::kPeriodMonths[5] == 12);

struct FileShape {
  bool header = false;           // the first record is a header line
  int columns = 0;               // values after year and month, 1 to kMaxColumns
  std::optional<float> missing;  // the missing marker as read, if the file has one
};

struct MonthlyFile {
  int first_year = 0;  // the month of the first record: row 0
  int first_month = 1;
  // columns[c][i]: column c of the i-th month from the first, in hundredths
  // or kNoValue; every column holds the months up to the last record.
  std::vector<std::vector<int>> columns;

  std::size_t months() const { return columns.empty() ? 0 : columns[0].size(); }
  // The value of a column in a month (kNoValue outside the file).
  int value(int column, int year, int month) const;
};

// Reads the file on the file number, which it closes. A missing file reads as
// a file without records (no columns).
MonthlyFile read_monthly(int unit, std::string_view name, const FileShape& shape);

// The year and month of the i-th month after (year, month).
struct YearMonth {
  int year;
  int month;
};
YearMonth month_after(int year, int month, long long i);

}  // namespace events
