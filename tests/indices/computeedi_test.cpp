#include "indices/computeedi.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "table_files.h"
#include "records/fatal.h"

namespace {

using namespace indices_testing;
using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;

// The 10, 20, ..., 120 cycle: every month equals its normal.
Year cycle(int year) { return {year, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}}; }

// A March start ending in November, July 1972 filled with trunc(1784 / 3) =
// 594. Expected: python3 tests/indices/indices_reference.py edi < table; with
// every value in double (--double) April 1972 reads 5661.91 and -93.74 and
// May 1973 a DEP of 402.32.
TEST(EffectivePrecipitation, MarchStartAgainstReference) {
  TempDir dir;
  write_file("ST0001-spi-interpolated.csv",
             table_text({{1971, {M, M, 867, 821, 782, 64, 261, 120, 507, 779, 460, 483}},
                         {1972, {667, 388, 807, 214, 96, 499, M, 855, 399, 443, 622, 780}},
                         {1973, {785, 2, 712, 456, 272, 738, 821, 234, 605, 104, 325, 31}},
                         {1974, {22, 26, 665, 554, 9, 390, 702, 221, 432, 743, 29, M}}}));
  indices::computeedi(kInterpolated);

  const Lines edi = read_records("ST0001-EDIint.csv");
  ASSERT_EQ(edi.size(), 36u);
  EXPECT_EQ(edi[0], " YEAR,MO,EP,DEP,SEP,PRN,EDI");
  EXPECT_EQ(edi[1], "1972, 2, 5841.55, 1372.65,    0.68,  442.33,    1.06,");
  EXPECT_EQ(edi[3], "1972, 4, 5661.92,  -93.75,   -0.09,  -30.21,   -0.07,");
  EXPECT_EQ(edi[6], "1972, 7, 5631.06,  -44.51,   -0.03,  -14.34,   -0.03,");
  EXPECT_EQ(edi[16], "1973, 5, 5552.97,  402.31,    0.26,  129.64,    0.31,");
  EXPECT_EQ(edi[24], "1974, 1, 2862.48,-2590.84,   -0.76, -834.89,   -1.99,");
  EXPECT_EQ(edi[34], "1974,11, 4220.04,-1071.43,   -0.96, -345.27,   -0.82,");
  EXPECT_EQ(edi[35], "");

  const Lines prn = read_records("ST0001-PRN.csv");
  ASSERT_EQ(prn.size(), 35u);  // no empty record at the end
  EXPECT_EQ(prn[0], " YEAR,MO,EP,DEP,SEP,PRN");
  for (std::size_t i = 1; i < prn.size(); ++i) {
    EXPECT_EQ(prn[i], edi[i].substr(0, 44));
    const double dep = std::atof(prn[i].substr(17, 8).c_str());
    EXPECT_NEAR(std::atof(prn[i].substr(35, 8).c_str()), dep / 3.1032107, 0.0067) << prn[i];
  }
}

// Tables whose every month sits at its normal: DEP and PRN 0.00, SEP 0/0, and
// EDI 0/0. The EP of the 10..120 cycle by hand: December sum over j of
// 5 (25 - j) = 1110, November 1000. Degenerate tables give the headers only.
TEST(EffectivePrecipitation, TablesAtTheirNormals) {
  struct Case {
    const char* what;
    std::vector<Year> table;
    std::size_t prn_records;
    std::vector<std::pair<std::size_t, std::string>> starts;
  };
  // February has no total (normal and fill 0); July 1961 is filled with 100.
  std::vector<Year> gaps{flat(1960, 100), flat(1961, 100), flat(1962, 100)};
  for (Year& y : gaps) y.t[1] = M;
  gaps[1].t[6] = M;
  std::vector<Year> long_table;
  for (int y = 1701; y <= 1950; ++y) long_table.push_back(flat(y, 50));

  // clang-format off
  const std::vector<Case> cases{
      {"January start", {cycle(1960), cycle(1961)}, 14,
       {{1, "1960,12, 1110.00,"}, {2, "1961, 1,  857.61,"}, {12, "1961,11, 1000.00,"}, {13, "1961,12, 1110.00,"}}},
      {"filled months", gaps, 26, {}},
      // 200 years read; edi holds the first 2000 of the 2389 months.
      {"250 years", long_table, 2390, {{1, "1701,12,  600.00,"}, {2000, "1868, 7,"}, {2389, "1900,12,"}}},
      // Years are counted on from the first, never past the EP computed.
      {"skipped years", {flat(1950, 10), {1990, {10, 10, 10, 10, 10, 10, M, M, M, M, M, M}}}, 8, {{7, "1951, 6,"}}},
      {"no first data month", {flat(1960, M), cycle(1961)}, 1, {}},
      {"no last data month", {cycle(1960), flat(1961, M)}, 1, {}},
      {"would start in December", {{1961, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, M}}}, 1, {}},
      {"would start a year later", {{1961, {M, M, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}}}, 1, {}},
      // December 1960 to June 1960: empty, though EP exists after December.
      {"ends before it begins", {cycle(1960), cycle(1960), {1960, {10, 20, 30, 40, 50, 60, M, M, M, M, M, M}}}, 1, {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    TempDir dir;
    write_file("ST0001-spiformat.csv", table_text(c.table));
    indices::computeedi(kObserved);
    const Lines prn = read_records("ST0001-PRN.csv");
    const Lines edi = read_records("ST0001-EDI.csv");
    ASSERT_EQ(prn.size(), c.prn_records) << c.what;
    ASSERT_EQ(edi.size(), std::min<std::size_t>(prn.size(), 2001) + 1) << c.what;
    EXPECT_EQ(prn[0], " YEAR,MO,EP,DEP,SEP,PRN") << c.what;
    EXPECT_EQ(edi[0], " YEAR,MO,EP,DEP,SEP,PRN,EDI") << c.what;
    EXPECT_EQ(edi.back(), "") << c.what;
    for (std::size_t i = 1; i < prn.size(); ++i) {
      ASSERT_EQ(prn[i].substr(17), "    0.00,     NaN,    0.00,") << c.what << i;
      if (i + 1 < edi.size()) {
        ASSERT_EQ(edi[i], prn[i] + "     NaN,") << c.what << i;
      }
    }
    for (const auto& [i, s] : c.starts) EXPECT_EQ(prn[i].substr(0, s.size()), s) << c.what;
  }

  TempDir dir;
  write_file("ST0001-spiformat.csv", "");
  EXPECT_THROW(indices::computeedi(kObserved), records::FatalError);
}

}  // namespace
