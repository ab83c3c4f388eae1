#include "pdsi/pdi_vers1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "records/output.h"
#include "records/files.h"
#include "records/fatal.h"
#include "support/tempdir.h"

using testing_support::read_records;
using testing_support::write_file;

namespace {

const std::vector<std::string> kHeaderOnly{" YEAR,MONTH,Z(ANOMALY),X(PDI) "};

// Days FROM to TO of YEAR, as written by
//   python3 tests/pdsi/palmer_reference.py fixture 100111 YEAR:FROM:TO ...
// a seasonal temperature cycle, rain on every third day varying from year to
// year, no temperature on days 91 to 121 (all of April), no minimum
// temperature on the even days from 152 to 181; latitude 40.
void write_series(const std::vector<std::array<int, 3>>& spans) {
  write_file("100111.csv", "HEADER\n100111,40.0,-93.2,120,PRCP,1,1951\n");
  std::string text;
  char buf[64];
  for (const auto& [year, from, to] : spans) {
    for (int n = from; n <= to; ++n) {
      const int lo = std::min(n, 366 - n) / 8 - 6;
      const double p = (n + year) % 3 == 0 ? (n * 37 + year * 11) % 41 * 0.5 : 0.0;
      double tmin = lo, tmax = lo + 9 + n % 4;
      if (n >= 91 && n <= 121) tmin = tmax = 9999.0;
      if (n >= 152 && n <= 181 && n % 2 == 0) tmin = 9999.0;
      std::snprintf(buf, sizeof buf, "%4d,%3d,%7.1f,%7.1f,%7.1f,%7.1f\r\n", year, n, tmin, tmax,
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

}  // namespace

// Expected records: fixture 1899:1:365 1900:1:366 1901:32:365 1902:1:365
// 1903:1:200, then `palmer_reference.py index 100111`. 1900 is a leap year;
// 1901 lacks its January, so its days are absorbed and give no month; the
// series ends in the middle of July 1903, which is dropped. Every April has
// no temperature (PE 0, its rain still counts) and no loss (delta 0).
TEST(PalmerIndex, MatchesTheIndependentReference) {
  testing_support::TempDir dir;
  write_series({{1899, 1, 365}, {1900, 1, 366}, {1901, 32, 365}, {1902, 1, 365}, {1903, 1, 200}});
  EXPECT_EQ(run(), read_records(std::filesystem::path(DROUGHT_TEST_DATA_DIR) / "pdsi" / "data" /
                                "palmer_index.csv"));
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

TEST(PalmerIndex, UnreadableOrMissingInputIsFatal) {
  testing_support::TempDir dir;
  write_series({{1951, 1, 31}});
  write_file("100111.csv", "HEADER\n");  // no data record for the latitude
  EXPECT_THROW(pdsi::pdi_vers1("100111"), records::FatalError);
  records::close_all();
  write_series({{1951, 1, 31}});
  write_file("100111-pdsiformat.csv", "1952,  1,    x.5,    1.0,    0.0,    0.0\r\n");
  EXPECT_THROW(pdsi::pdi_vers1("100111"), records::FatalError);
  records::close_all();
  std::filesystem::remove("100111-pdsiformat.csv");
  EXPECT_THROW(pdsi::pdi_vers1("100111"), records::FatalError);
}

TEST(PalmerIndex, DroughtIndexRecursion) {
  // X = Z / 3, then 0.897 X + Z / 3: with Z = 3 every month X runs 1, 1.897,
  // 2.7016, ... towards 1 / (1 - 0.897) = 9.7087.
  const std::vector<float> x = pdsi::palmer_x(std::vector<float>(300, 3.0f));
  const records::Layout f82{"4F8.2"};
  EXPECT_EQ(records::format(f82, {x[0], x[1], x[2], x[299]}), "    1.00    1.90    2.70    9.71");
}

TEST(WaterBalance, StoragesMoveByTheLossOrRecharge) {
  // ET, R, PR, RO, PRO, L, PL, then the storages at the month's end.
  auto expect = [](float p, float pe, pdsi::Soil soil, const std::vector<float>& want) {
    const pdsi::Balance b = pdsi::water_balance(p, pe, soil);
    EXPECT_EQ(
        (std::vector<float>{b.et, b.r, b.pr, b.ro, b.pro, b.l, b.pl, soil.surface, soil.under}),
        want);
  };
  // P = PE: nothing moves; PL = 25 + 25 x 125 / 150.
  expect(50, 50, {}, {50, 0, 0, 0, 150, 0, 25.0f + 125.0f / 6.0f, 25, 125});
  // Deficit: Ls = 10, Lu = (40 - 10) x 60 / 150 = 12; PL = 10 + 35 x 60 / 150.
  expect(5, 45, {10, 60}, {27, 0, 80, 0, 70, 22, 24, 0, 48});
  // The underlying loss cannot exceed what the layer holds.
  expect(0, 200, {0, 5}, {5, 0, 145, 0, 5, 5, 5, 0, 0});
  // Surplus: Rs = 5, Ru = 5, the other 50 runs off; PL = 20 + 20 x 120 / 150.
  expect(100, 40, {20, 120}, {40, 10, 10, 50, 140, 0, 36, 25, 125});
}

TEST(PotentialEvapotranspiration, ThornthwaiteWithDayLengthCorrection) {
  // 12 h of daylight over 30 days, or 6 h over 60: f = 1; PE = 1.6 x (10 T / I)^a cm.
  EXPECT_EQ(pdsi::potential_evapotranspiration(5.0f, 12.0f, 30, 50.0f, 1.7f), 16.0f);
  EXPECT_EQ(pdsi::potential_evapotranspiration(10.0f, 6.0f, 60, 50.0f, 1.0f), 32.0f);
  EXPECT_EQ(pdsi::potential_evapotranspiration(-0.5f, 12.0f, 30, 50.0f, 1.7f), 0.0f);
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
