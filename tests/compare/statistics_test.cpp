#include "compare/statistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tempdir.h"

namespace {

using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;

const std::string kHeader = "rmean,imean,r2,RMSE,MAE,DMSE,DMAE,E,RMSD,MBE,MAXdi,>0.5";

// A combined record whose observed value is `o` and interpolated value `i` in
// every period.
std::string combined(const std::string& o, const std::string& i) {
  std::string s = "1950, 1";
  for (int k = 0; k < 7; ++k) s += ", " + o;
  for (int k = 0; k < 7; ++k) s += ", " + i;
  return s + ",\r\n";
}

std::vector<std::string> run(const std::string& table) {
  write_file("000010-spi-results.csv", table);
  compare::statistics("000010");
  return read_records("000010-spi-stats.csv");
}

}  // namespace

TEST(ComparisonStatistics, IdenticalSeriesAgreePerfectly) {
  TempDir dir;
  std::string table;
  for (const char* v : {"1.00", "2.00", "3.00"}) table += combined(v, v);
  // The fourth month's 24-month observed value is missing: only period 7
  // leaves it out.
  std::string last = combined("4.00", "4.00");
  last.replace(last.find(", 4.00,", 40), 7, ",-99.00,");
  table += last;

  const auto recs = run(table);
  ASSERT_EQ(recs.size(), 8u);
  EXPECT_EQ(recs[0], kHeader);
  const std::string perfect =
      "      1.00,      0.00,      0.00,      1.00,      1.00,      1.00,"
      "      0.00,      0.00,      0.00,   0";
  for (std::size_t k = 1; k <= 7; ++k) EXPECT_EQ(recs[k].size(), 125u) << k;
  for (std::size_t k = 1; k <= 6; ++k) EXPECT_EQ(recs[k], "      2.50,      2.50," + perfect);
  EXPECT_EQ(recs[7], "      2.00,      2.00," + perfect);
}

TEST(ComparisonStatistics, ConstantDifferenceOfPointThree) {
  TempDir dir;
  // n = 12, interpolated = observed + 0.3. By hand: rmean 0.25, imean 0.55;
  // deviations from the observed mean are +-0.15, +-0.45, ..., +-1.65, so
  // Sxx = 12.87 and A = sum (|I - rmean| + |O - rmean|)^2 = 52.65;
  // RMSE = sqrt(12 * 0.09 / 10) = 0.329, MAE = 3.6 / 10 = 0.36,
  // DMSE = 1 - 1.08 / 52.65 = 0.979, DMAE = 1 - 0.36 * 12 / 52.65 = 0.918,
  // E = 1 - 1.08 / 12.87 = 0.916, RMSD 0.30, MBE 0.30, MAXdi 0.30, none > 0.5.
  const char* observed[] = {"-1.40", "-1.10", "-0.80", "-0.50", "-0.20", "0.10",
                            "0.40",  "0.70",  "1.00",  "1.30",  "1.60",  "1.90"};
  const char* interpolated[] = {"-1.10", "-0.80", "-0.50", "-0.20", "0.10", "0.40",
                                "0.70",  "1.00",  "1.30",  "1.60",  "1.90", "2.20"};
  std::string table;
  for (int m = 0; m < 12; ++m) table += combined(observed[m], interpolated[m]);
  const auto recs = run(table);
  ASSERT_EQ(recs.size(), 8u);
  EXPECT_EQ(recs[1],
            "      0.25,      0.55,      1.00,      0.33,      0.36,      0.98,      0.92,"
            "      0.92,      0.30,      0.30,      0.30,   0");
}

TEST(ComparisonStatistics, OnlyDifferencesAboveOneHalfAreCounted) {
  TempDir dir;
  // Differences 0.5, 0.51, -0.5 and -0.51: the two of magnitude 0.51 count.
  const auto recs = run(combined("0.00", "0.50") + combined("1.00", "1.51") +
                        combined("2.00", "1.50") + combined("3.00", "2.49"));
  ASSERT_EQ(recs.size(), 8u);
  EXPECT_EQ(recs[1].substr(110), "      0.51,   2");
}

TEST(ComparisonStatistics, PeriodWithoutPairsIsWrittenAsIeeeArithmeticGives) {
  TempDir dir;
  // Every month misses its interpolated value in all periods: n = 0. The
  // divisions by n and by empty sums give not-a-number; RMSE and MAE divide
  // the zero sum by n - 2 = -2 and give -0; MAXdi keeps the most negative
  // 4-byte real, too wide for F10.2.
  const auto recs = run(combined("1.00", "-99.00") + combined("-99.00", "-99.00"));
  ASSERT_EQ(recs.size(), 8u);
  EXPECT_EQ(recs[1],
            "       NaN,       NaN,       NaN,     -0.00,     -0.00,       NaN,       NaN,"
            "       NaN,       NaN,       NaN,**********,   0");
  EXPECT_EQ(recs[1].size(), 125u);
}

TEST(ComparisonStatistics, SumsAreKeptInFourBytes) {
  TempDir dir;
  // 1e8 + 1 is 1e8 again in a 4-byte sum (its spacing there is 8), so the sum
  // of 1e8, 1 and -1e8 is 0 and the means are 0.00; an 8-byte sum would give
  // 1 / 3, written 0.33.
  const auto recs = run(combined("100000000.0", "100000000.0") + combined("1.0", "1.0") +
                        combined("-100000000.0", "-100000000.0"));
  ASSERT_EQ(recs.size(), 8u);
  EXPECT_EQ(recs[1].substr(0, 22), "      0.00,      0.00,");
}

TEST(ComparisonStatistics, MissingInputGivesEmptyPeriods) {
  TempDir dir;
  compare::statistics("000010");
  const auto recs = read_records("000010-spi-stats.csv");
  ASSERT_EQ(recs.size(), 8u);
  for (std::size_t k = 1; k <= 7; ++k) EXPECT_EQ(recs[k].substr(110), "**********,   0");
}
