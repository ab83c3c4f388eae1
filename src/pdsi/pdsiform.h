// The daily input of the Palmer index.
//
// pdsiform reads the daily observation file <id>.csv, keeps the "PRCP",
// "TMAX" and "TMIN" records, lines the three elements up on a calendar that
// starts on a 1 January, converts them to millimetres and degrees Celsius and
// writes one record per day to <id>-pdsiformat.csv. Every calendar month from
// that January to the last month of the precipitation records has its days;
// an element without a record for a month has 9999.0 on every day of it.
// Each record:
//   year I4, day of year I3, minimum and maximum temperature, a constant 0.0
//   column and precipitation, each F7.1, separated by commas.
// A missing value is 9999.0. When an element has no record, or the three
// elements cannot be lined up, the file is emptied and holds no record.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "catalogue/catalogue.h"

namespace pdsi {

// The missing-value mark of the daily series, before and after conversion.
using catalogue::kMissingDaily;

// Builds <id>-pdsiformat.csv from <id>.csv (file numbers 80 and 81).
void pdsiform(std::string_view station_id);

// Day of year of the first day of each month, and the length of each month,
// of one year. Every year divisible by 4 is a leap year.
struct MonthTables {
  std::array<int, 12> first;
  std::array<int, 12> length;
};
MonthTables jday(int year);

// Converts the daily series in place: temperatures from degrees Fahrenheit to
// degrees Celsius, precipitation from hundredths of an inch to millimetres.
// kMissingDaily stays as it is. Each array is converted over its whole length.
void convert(std::span<float> tmin, std::span<float> tmax, std::span<float> prcp);

}  // namespace pdsi
