// A span of calendar years, such as the reference period on which the SPI fits
// and the monthly normals are computed. The default holds every year.
#pragma once

#include <limits>

namespace catalogue {

struct YearRange {
  int first = std::numeric_limits<int>::min();
  int last = std::numeric_limits<int>::max();
  bool contains(int year) const { return first <= year && year <= last; }
};

// Every year: the fits and normals of a run without a reference period.
inline constexpr YearRange kAllYears{};

}  // namespace catalogue
