#include "compare/statistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tempdir.h"

namespace {

// A combined record whose observed value is `o` and interpolated value `i` in
// every period.
std::string combined(const std::string& o, const std::string& i) {
  std::string s = "1950, 1";
  for (int k = 0; k < 7; ++k) s += ", " + o;
  for (int k = 0; k < 7; ++k) s += ", " + i;
  return s + ",\r\n";
}

std::vector<std::string> stats(const std::string& table) {
  testing_support::write_file("a-spi-results.csv", table);
  compare::statistics("a");
  return testing_support::read_records("a-spi-stats.csv");
}

}  // namespace

TEST(ComparisonStatistics, SumsAreKeptInFourBytes) {
  testing_support::TempDir dir;
  // 1e8 + 1 is 1e8 again in a 4-byte sum (the spacing there is 8), so the sum
  // of 1e8, 1 and -1e8 is 0 and the means are 0.00; an 8-byte sum would give
  // 1 / 3, written 0.33.
  const auto recs =
      stats(combined("1e8", "1e8") + combined("1.0", "1.0") + combined("-1e8", "-1e8"));
  EXPECT_EQ(recs.at(1).substr(0, 22), "      0.00,      0.00,");
}

TEST(ComparisonStatistics, EmptyPeriodsAreWrittenAsIeeeArithmeticGives) {
  testing_support::TempDir dir;
  // No input file, n = 0: divisions by n and by empty sums are not-a-number;
  // RMSE and MAE divide the zero sum by n - 2 = -2 and give -0; MAXdi keeps
  // the most negative 4-byte real, too wide for F10.2.
  compare::statistics("b");
  const auto recs = testing_support::read_records("b-spi-stats.csv");
  ASSERT_EQ(recs.size(), 8u);
  for (std::size_t k = 1; k <= 7; ++k) {
    EXPECT_EQ(recs[k],
              "       NaN,       NaN,       NaN,     -0.00,     -0.00,       NaN,       NaN,"
              "       NaN,       NaN,       NaN,**********,   0");
  }
}
