#include "import/units.h"

namespace importer {

int days_in_month(int year, int month) {
  static constexpr int kLengths[kMonthsPerYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month != 2) return kLengths[month - 1];
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return leap ? 29 : 28;
}

}  // namespace importer
