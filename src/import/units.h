// Metric archive units to daily-file units, and the calendar: integer
// arithmetic only, so that every conversion is exact before its one rounding.
#pragma once

#include <cstdint>

#include "import/import.h"

namespace importer {

inline constexpr int kMonthsPerYear = 12;

// n / d rounded half away from zero, for d > 0.
std::int64_t divide_rounded(std::int64_t n, std::int64_t d);

// Metric archive units to daily-file units, exact and rounded half away from zero.
int hundredths_inch_from_tenths_mm(int tenths_mm);  // PRCP
int tenths_inch_from_mm(int mm);                    // SNOW
int inches_from_mm(int mm);                         // SNWD
int fahrenheit_from_tenths_celsius(int tenths_c);   // TMAX, TMIN
// The conversion of one element's value.
int daily_units(Element element, int metric_value);

// Days of a month of the Gregorian calendar.
int days_in_month(int year, int month);

}  // namespace importer
