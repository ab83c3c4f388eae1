#include "import/units.h"

namespace importer {

namespace {

// The results fit: the inputs are at most 5 digits and every factor shrinks them.
int to_int(std::int64_t v) { return static_cast<int>(v); }

}  // namespace

std::int64_t divide_rounded(std::int64_t n, std::int64_t d) {
  return n >= 0 ? (2 * n + d) / (2 * d) : -((-2 * n + d) / (2 * d));
}

// 1 inch = 25.4 mm = 254 tenths of a mm: hundredths of an inch = tenths of mm × 100 / 254.
int hundredths_inch_from_tenths_mm(int tenths_mm) {
  return to_int(divide_rounded(50LL * tenths_mm, 127));
}
int tenths_inch_from_mm(int mm) { return to_int(divide_rounded(50LL * mm, 127)); }
int inches_from_mm(int mm) { return to_int(divide_rounded(5LL * mm, 127)); }
// °F = °C × 9 / 5 + 32 = (18 × tenths of °C + 3200) / 100.
int fahrenheit_from_tenths_celsius(int tenths_c) {
  return to_int(divide_rounded(18LL * tenths_c + 3200, 100));
}

int daily_units(Element element, int metric_value) {
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

int days_in_month(int year, int month) {
  static constexpr int kLengths[kMonthsPerYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month != 2) return kLengths[month - 1];
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return leap ? 29 : 28;
}

}  // namespace importer
