// Metric archive units to daily-file units, and the calendar: integer
// arithmetic only, so that every conversion is exact before its one rounding.
// Inline: the archive reader converts every day of every line.
#pragma once

#include <cstdint>

#include "import/import.h"

namespace importer {

inline constexpr int kMonthsPerYear = 12;

// n / d rounded half away from zero, for d > 0.
constexpr std::int64_t divide_rounded(std::int64_t n, std::int64_t d) {
  return n >= 0 ? (2 * n + d) / (2 * d) : -((-2 * n + d) / (2 * d));
}

// Metric archive units to daily-file units, exact and rounded half away from
// zero. The results fit an int: the inputs have at most 5 digits and every
// factor shrinks them.
// 1 inch = 254 tenths of a mm: hundredths of an inch = tenths of mm × 100 / 254.
constexpr int hundredths_inch_from_tenths_mm(int tenths_mm) {  // PRCP
  return static_cast<int>(divide_rounded(50LL * tenths_mm, 127));
}
constexpr int tenths_inch_from_mm(int mm) {  // SNOW
  return static_cast<int>(divide_rounded(50LL * mm, 127));
}
constexpr int inches_from_mm(int mm) {  // SNWD
  return static_cast<int>(divide_rounded(5LL * mm, 127));
}
// °F = °C × 9 / 5 + 32 = (18 × tenths of °C + 3200) / 100.
constexpr int fahrenheit_from_tenths_celsius(int tenths_c) {  // TMAX, TMIN
  return static_cast<int>(divide_rounded(18LL * tenths_c + 3200, 100));
}
// The conversion of one element's value.
constexpr int daily_units(Element element, int metric_value) {
  switch (element) {
    case kPrcp:
      return hundredths_inch_from_tenths_mm(metric_value);
    case kSnow:
      return tenths_inch_from_mm(metric_value);
    case kSnwd:
      return inches_from_mm(metric_value);
    default:
      return fahrenheit_from_tenths_celsius(metric_value);
  }
}

// Days of a month of the Gregorian calendar.
int days_in_month(int year, int month);

}  // namespace importer
