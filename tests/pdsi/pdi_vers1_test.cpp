#include "pdsi/pdi_vers1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "pdsi/pdsiform.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/output.h"
#include "support/tempdir.h"

using testing_support::read_records;
using testing_support::write_file;

namespace {

const std::vector<std::string> kHeaderOnly{" YEAR,MONTH,Z(ANOMALY),X(PDI) "};

// Days FROM to TO of YEAR: a seasonal temperature cycle, rain on every third day varying from year
// to year, no temperature on days 91 to 121 (all of April), no minimum temperature on the even days
// from 152 to 181; latitude 40. Days of the months for which `gap` holds have no precipitation
// value.
void write_series(const std::vector<std::array<int, 3>>& spans,
                  bool (*gap)(int year, int month) = nullptr) {
  write_file("100111.csv", "HEADER\n100111,40.0,-93.2,120,PRCP,1,1951\n");
  std::string text;
  char buf[64];
  for (const auto& [year, from, to] : spans) {
    const pdsi::MonthTables t = pdsi::jday(year);
    for (int n = from; n <= to; ++n) {
      const int lo = std::min(n, 366 - n) / 8 - 6;
      double p = (n + year) % 3 == 0 ? (n * 37 + year * 11) % 41 * 0.5 : 0.0;
      double tmin = lo, tmax = lo + 9 + n % 4;
      if (n >= 91 && n <= 121) tmin = tmax = 9999.0;
      if (n >= 152 && n <= 181 && n % 2 == 0) tmin = 9999.0;
      const int month =
          static_cast<int>(std::upper_bound(t.first.begin(), t.first.end(), n) - t.first.begin());
      if (gap && gap(year, month)) p = 9999.0;
      std::snprintf(buf, sizeof buf, "%4d,%3d,%7.1f,%7.1f,%7.1f,%7.1f\r\n", year, n, tmin, tmax,
                    0.0, p);
      text += buf;
    }
  }
  write_file("100111-pdsiformat.csv", text);
}

std::vector<std::string> run() {
  pdsi::pdi_vers1("100111", false);
  return read_records("100111-pdsi.csv");
}

}  // namespace

// Expected records: the series of 1899:1:365 1900:1:366 1901:32:365
// 1902:1:365 1903:1:200 run through index() of tests/review/review_palmer.py, an
// independent computation in 4-byte steps. 1900 is a leap year;
// 1901 lacks its January, so its days are absorbed and give no month; the
// series ends in the middle of July 1903, which is dropped. Every April has
// no temperature (PE 0, its rain still counts) and no loss (delta 0).
TEST(PalmerIndex, MatchesTheIndependentReference) {
  testing_support::TempDir dir;
  write_series({{1899, 1, 365}, {1900, 1, 366}, {1901, 32, 365}, {1902, 1, 365}, {1903, 1, 200}});
  EXPECT_EQ(run(), read_records(std::filesystem::path(DROUGHT_TEST_DATA_DIR) / "pdsi" / "data" /
                                "palmer_index.csv"));
}

// A month none of whose days has a precipitation value is missing: -99.00 in
// its place, X going on from the X before it, nothing added to the
// calibration. Here every May lacks precipitation, so May has no K and adds
// nothing to the weights of the other months' K, and so does September 1900.
// Expected records: the same series (1899 to 1902) run through index() of
// tools/review_palmer.py; the water balance is the list index() returns, each
// value F10.2.
TEST(PalmerIndex, MonthsWithoutPrecipitationAreMissing) {
  testing_support::TempDir dir;
  write_series({{1899, 1, 365}, {1900, 1, 366}, {1901, 1, 365}, {1902, 1, 365}},
               [](int year, int month) { return month == 5 || (year == 1900 && month == 9); });
  pdsi::pdi_vers1("100111", true);
  const auto data = std::filesystem::path(DROUGHT_TEST_DATA_DIR) / "pdsi" / "data";
  EXPECT_EQ(read_records("100111-pdsi.csv"), read_records(data / "palmer_gaps.csv"));
  EXPECT_EQ(read_records("100111-water-balance.csv"),
            read_records(data / "palmer_gaps_balance.csv"));
  // Without the water balance asked for, no such file is written.
  std::filesystem::remove("100111-water-balance.csv");
  pdsi::pdi_vers1("100111", false);
  EXPECT_FALSE(std::filesystem::exists("100111-water-balance.csv"));
}

TEST(PalmerIndex, SingleYearGivesNaN) {
  // N = 1: each month's CAFEC precipitation is its own water balance, so the
  // departures vanish up to rounding; a D(m) of 0 makes the weights of K, and
  // with them every Z and X, NaN.
  testing_support::TempDir dir;
  write_series({{1951, 1, 365}});
  std::vector<std::string> want = kHeaderOnly;
  char rec[32];
  for (int m = 1; m <= 12; ++m) {
    std::snprintf(rec, sizeof rec, "1951,%2d,     NaN,     NaN,", m);
    want.push_back(rec);
  }
  EXPECT_EQ(run(), want);
}

TEST(PalmerIndex, UncalibratedSeriesGivesTheHeaderOnly) {
  testing_support::TempDir dir;
  const std::vector<std::vector<std::array<int, 3>>> cases{
      {{1951, 1, 335}},                  // eleven months, December unfinished
      {{1951, 2, 365}, {1952, 2, 366}},  // no 1 January: N = 0
      {},                                // no record at all
  };
  for (const auto& spans : cases) {
    write_file("100111-pdsi.csv", "old contents\r\n");
    write_series(spans);
    EXPECT_EQ(run(), kHeaderOnly);
  }
  // Every normal temperature below zero: a heat index of 0.
  std::string cold;
  for (int n = 0; n < 730; ++n) {
    cold += std::to_string(1953 + n / 365) + "," + std::to_string(n % 365 + 1) + ",-10,-2,0,1\r\n";
  }
  write_file("100111-pdsiformat.csv", cold);
  EXPECT_EQ(run(), kHeaderOnly);
}

// Each of the four CAFEC products is stored as a 4-byte real before they are
// combined. With these coefficients and potentials the rounded products give
// 311.167236328125, while one rounding of the exact combination gives
// 311.1672058105469. Found and checked with a float32 simulation:
//   f32 = lambda x: struct.unpack('f', struct.pack('f', x))[0]
//   f32(f32(a*pe) + f32(b*pr) + f32(g*pro) - f32(d*pl))
TEST(CafecPrecipitation, RoundsEachProductToFourBytes) {
  EXPECT_EQ(pdsi::cafec_precipitation(0.9411498308181763f, 1.4215633869171143f, 0.8656544089317322f,
                                      0.5950207114219666f, 195.2510223388672f, 9.316535949707031f,
                                      171.69369506835938f, 57.92185592651367f),
            311.167236328125f);
}
