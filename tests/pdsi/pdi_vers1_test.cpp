#include "pdsi/pdi_vers1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "records/records.h"
#include "support/tempdir.h"

using testing_support::read_file;
using testing_support::read_records;
using testing_support::write_file;

namespace {

const std::string kHeaderRecord = " YEAR,MONTH,Z(ANOMALY),X(PDI) ";

struct Span {
  int year, from, to;
};

// The daily series of these tests, the same as
//   python3 tests/pdsi/palmer_reference.py fixture 100111 YEAR:FROM:TO ...
// writes: a seasonal temperature cycle, rain on every third day varying from
// year to year, no temperature on days 91 to 120 (all of April in a common
// year), no minimum temperature on the even days from 152 to 181 (June);
// latitude 40 in the daily observation file.
void write_series(const std::vector<Span>& spans) {
  write_file(
      "100111.csv", "HEADER\n100111,40.0,-93.2,120,PRCP,1,1951" + [] {
        std::string s;
        for (int d = 0; d < 31; ++d) s += ",0";
        return s;
      }() + "\n");
  std::string text;
  char buf[80];
  for (const Span& s : spans) {
    for (int n = s.from; n <= s.to; ++n) {
      const int lo = std::min(n, 366 - n) / 8 - 6;
      const int hi = lo + 9 + n % 4;
      const double p = (n + s.year) % 3 == 0 ? (n * 37 + s.year * 11) % 41 * 0.5 : 0.0;
      double tmin = lo, tmax = hi;
      if (n >= 91 && n <= 120) tmin = tmax = 9999.0;
      if (n >= 152 && n <= 181 && n % 2 == 0) tmin = 9999.0;
      std::snprintf(buf, sizeof buf, "%4d,%3d,%7.1f,%7.1f,%7.1f,%7.1f\r\n", s.year, n, tmin, tmax,
                    0.0, p);
      text += buf;
    }
  }
  write_file("100111-pdsiformat.csv", text);
}

std::vector<std::string> run() {
  pdsi::pdi_vers1("100111");
  return read_records("100111-pdsi.csv");
}

std::string f82(float v) { return records::format(records::Layout{"F8.2"}, {v}); }

}  // namespace

// Expected records from
//   python3 tests/pdsi/palmer_reference.py fixture 100111 1951:1:365 1952:32:366
//       1953:1:365 1954:1:365 1955:1:200     (one command)
//   python3 tests/pdsi/palmer_reference.py index 100111
TEST(PalmerIndex, MatchesTheReferenceOverSeveralYears) {
  testing_support::TempDir dir;
  // 1952 lacks its January, so its days are absorbed and give no month; the
  // series ends in the middle of July 1955, which is dropped.
  write_series({{1951, 1, 365}, {1952, 32, 366}, {1953, 1, 365}, {1954, 1, 365}, {1955, 1, 200}});
  // clang-format off
  const std::vector<std::string> expected{kHeaderRecord,
      "1951, 1,    1.54,    0.51,", "1951, 2,    1.72,    1.03,", "1951, 3,   -1.62,    0.39,",
      "1951, 4,   -1.30,   -0.09,", "1951, 5,    0.08,   -0.05,", "1951, 6,    1.99,    0.62,",
      "1951, 7,    1.14,    0.94,", "1951, 8,   -2.73,   -0.07,", "1951, 9,   -0.75,   -0.31,",
      "1951,10,    1.04,    0.07,", "1951,11,   -0.93,   -0.25,", "1951,12,   -0.67,   -0.45,",
      "1953, 1,   -1.21,   -0.81,", "1953, 2,   -1.72,   -1.29,", "1953, 3,    1.00,   -0.83,",
      "1953, 4,    0.47,   -0.59,", "1953, 5,    1.81,    0.08,", "1953, 6,   -1.18,   -0.32,",
      "1953, 7,   -1.31,   -0.72,", "1953, 8,    0.05,   -0.63,", "1953, 9,    2.41,    0.24,",
      "1953,10,   -2.36,   -0.57,", "1953,11,    1.55,    0.00,", "1953,12,   -2.78,   -0.92,",
      "1954, 1,   -2.76,   -1.75,", "1954, 2,    1.95,   -0.92,", "1954, 3,   -1.37,   -1.28,",
      "1954, 4,    3.46,    0.00,", "1954, 5,   -4.14,   -1.38,", "1954, 6,   -1.67,   -1.79,",
      "1954, 7,    0.16,   -1.55,", "1954, 8,    2.68,   -0.50,", "1954, 9,   -1.66,   -1.00,",
      "1954,10,    1.31,   -0.46,", "1954,11,   -0.62,   -0.62,", "1954,12,    3.45,    0.59,",
      "1955, 1,    2.43,    1.34,", "1955, 2,   -1.95,    0.55,", "1955, 3,    1.99,    1.16,",
      "1955, 4,   -2.63,    0.16,", "1955, 5,    2.24,    0.90,", "1955, 6,    0.85,    1.09,",
  };
  // clang-format on
  EXPECT_EQ(run(), expected);
}

// 1900 is a leap year: its February takes 29 days and its later months end
// one day later. Expected records as above, with the spans 1899:1:365
// 1900:1:366 1901:1:365.
TEST(PalmerIndex, CenturyYearDivisibleByFourHasTwentyNineDaysInFebruary) {
  testing_support::TempDir dir;
  write_series({{1899, 1, 365}, {1900, 1, 366}, {1901, 1, 365}});
  const auto recs = run();
  ASSERT_EQ(recs.size(), 37u);
  EXPECT_EQ(recs[1], "1899, 1,   -1.85,   -0.62,");
  EXPECT_EQ(recs[12], "1899,12,   -0.27,   -0.62,");
  EXPECT_EQ(recs[13], "1900, 1,    1.90,    0.07,");
  EXPECT_EQ(recs[14], "1900, 2,   -2.48,   -0.76,");
  EXPECT_EQ(recs[15], "1900, 3,    0.95,   -0.37,");
  EXPECT_EQ(recs[36], "1901,12,    1.94,    0.74,");
}

TEST(PalmerIndex, SingleYearCalibratesEachMonthOnItselfAndGivesNaN) {
  testing_support::TempDir dir;
  // With N = 1 each month's CAFEC precipitation is its own water balance, so
  // a departure is 0, D(m) = 0, and the climatic characteristic is NaN.
  write_series({{1951, 1, 365}});
  const auto recs = run();
  ASSERT_EQ(recs.size(), 13u);
  EXPECT_EQ(recs[1], "1951, 1,     NaN,     NaN,");
  EXPECT_EQ(recs[12], "1951,12,     NaN,     NaN,");
}

TEST(PalmerIndex, UncalibratedSeriesGivesTheHeaderOnly) {
  testing_support::TempDir dir;
  const std::vector<std::vector<Span>> cases{
      {{1951, 1, 300}},                  // eleven months
      {{1951, 2, 365}, {1952, 2, 366}},  // no 1 January: N = 0
      {},                                // no record at all
  };
  for (const auto& spans : cases) {
    write_file("100111-pdsi.csv", "old contents\r\n");
    write_series(spans);
    EXPECT_EQ(run(), std::vector<std::string>{kHeaderRecord});
  }

  // Every normal temperature below zero: a heat index of 0.
  std::string text;
  for (int y = 1951; y <= 1952; ++y) {
    for (int n = 1; n <= (y % 4 == 0 ? 366 : 365); ++n) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%4d,%3d,  -10.0,   -2.0,    0.0,    1.0\r\n", y, n);
      text += buf;
    }
  }
  write_file("100111-pdsiformat.csv", text);
  EXPECT_EQ(run(), std::vector<std::string>{kHeaderRecord});
}

TEST(PalmerIndex, UnreadableOrMissingInputIsFatal) {
  testing_support::TempDir dir;
  write_series({{1951, 1, 365}});
  std::string series = read_file("100111-pdsiformat.csv");
  write_file("100111-pdsiformat.csv", series + "1952,  1,    x.5,    1.0,    0.0,    0.0\r\n");
  EXPECT_THROW(pdsi::pdi_vers1("100111"), records::FatalError);
  records::close_all();

  std::remove("100111-pdsiformat.csv");
  EXPECT_THROW(pdsi::pdi_vers1("100111"), records::FatalError);
  records::close_all();

  write_file("100111-pdsiformat.csv", series);
  write_file("100111.csv", "HEADER\n");
  EXPECT_THROW(pdsi::pdi_vers1("100111"), records::FatalError);
}

TEST(PalmerIndex, DroughtIndexRecursion) {
  // X = Z / 3, then 0.897 X + Z / 3: with Z = 3 every month X runs 1, 1.897,
  // 2.7016, ... towards 1 / (1 - 0.897) = 9.7087.
  const std::vector<float> z(300, 3.0f);
  const std::vector<float> x = pdsi::palmer_x(z);
  EXPECT_EQ(f82(x[0]), "    1.00");
  EXPECT_EQ(f82(x[1]), "    1.90");
  EXPECT_EQ(f82(x[2]), "    2.70");
  EXPECT_EQ(f82(x[299]), "    9.71");
  EXPECT_TRUE(pdsi::palmer_x({}).empty());
}

namespace {

// The balance's fields in order: ET, R, PR, RO, PRO, L, PL; then the soil.
void expect_balance(float p, float pe, pdsi::Soil soil, std::vector<float> expected,
                    pdsi::Soil after) {
  const pdsi::Balance b = pdsi::water_balance(p, pe, soil);
  EXPECT_EQ((std::vector<float>{b.et, b.r, b.pr, b.ro, b.pro, b.l, b.pl}), expected);
  EXPECT_EQ(soil.surface, after.surface);
  EXPECT_EQ(soil.under, after.under);
}

}  // namespace

TEST(WaterBalance, StoragesMoveByTheLossOrRecharge) {
  // P = PE: nothing moves; PL = 25 + 25 x 125 / 150.
  expect_balance(50, 50, {}, {50, 0, 0, 0, 150, 0, 25.0f + 125.0f / 6.0f}, {25, 125});
  // Deficit: Ls = 10, Lu = (40 - 10) x 60 / 150 = 12; PL = 10 + 35 x 60 / 150.
  expect_balance(5, 45, {10, 60}, {27, 0, 80, 0, 70, 22, 24}, {0, 48});
  // The underlying loss cannot exceed what the layer holds.
  expect_balance(0, 200, {0, 5}, {5, 0, 145, 0, 5, 5, 5}, {0, 0});
  // Surplus: Rs = 5, Ru = 5, the other 50 runs off; PL = 20 + 20 x 120 / 150.
  expect_balance(100, 40, {20, 120}, {40, 10, 10, 50, 140, 0, 36}, {25, 125});
}

TEST(PotentialEvapotranspiration, ThornthwaiteWithDayLengthCorrection) {
  // 12 h of daylight over 30 days: f = 1; PE = 1.6 x (10 T / I)^a cm.
  EXPECT_EQ(pdsi::potential_evapotranspiration(5.0f, 12.0f, 30, 50.0f, 1.7f), 16.0f);
  EXPECT_EQ(pdsi::potential_evapotranspiration(10.0f, 12.0f, 30, 50.0f, 2.0f), 64.0f);
  // 6 h over 60 days is f = 1 as well.
  EXPECT_EQ(pdsi::potential_evapotranspiration(10.0f, 6.0f, 60, 50.0f, 1.0f), 32.0f);
  // Freezing or all-missing months (mean 0) have no evapotranspiration.
  EXPECT_EQ(pdsi::potential_evapotranspiration(-0.5f, 12.0f, 30, 50.0f, 1.7f), 0.0f);
  EXPECT_EQ(pdsi::potential_evapotranspiration(0.0f, 12.0f, 30, 50.0f, 1.7f), 0.0f);
}
