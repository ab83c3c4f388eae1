#include "indices/computeedi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "support/tempdir.h"
#include "table_files.h"

namespace {

using indices_testing::flat;
using indices_testing::M;
using indices_testing::Year;
using testing_support::read_records;
using testing_support::TempDir;
using Lines = std::vector<std::string>;

// The 10, 20, ..., 120 cycle: every month equals its normal.
Year cycle(int year) { return {year, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}}; }

// A data record of <id>-PRN.csv is 44 characters; <id>-EDI.csv adds the EDI.
std::string prn_part(const std::string& edi_record) { return edi_record.substr(0, 44); }

// Four years beginning in March 1971 and ending in November 1974, with July
// 1972 missing (filled with trunc((261 + 821 + 702) / 3) = 594). Expected
// records from the independent single-precision recomputation:
//   python3 tests/indices/indices_reference.py edi < table
// Computing everything in double (the same script with --double) gives
// 5661.91 and -93.74 for April 1972 and a DEP of 402.32 for May 1973: the
// values below hold only when every sum is rounded to single precision after
// each addition.
TEST(EffectivePrecipitation, MarchStartAgainstReference) {
  TempDir dir;
  indices_testing::write_table(
      "ST0001-spi-interpolated.csv",
      {
          {1971, {M, M, 867, 821, 782, 64, 261, 120, 507, 779, 460, 483}},
          {1972, {667, 388, 807, 214, 96, 499, M, 855, 399, 443, 622, 780}},
          {1973, {785, 2, 712, 456, 272, 738, 821, 234, 605, 104, 325, 31}},
          {1974, {22, 26, 665, 554, 9, 390, 702, 221, 432, 743, 29, M}},
      });
  indices::computeedi(indices_testing::kInterpolated);

  const Lines expected_edi{
      " YEAR,MO,EP,DEP,SEP,PRN,EDI",
      "1972, 2, 5841.55, 1372.65,    0.68,  442.33,    1.06,",
      "1972, 3, 6826.08, 1103.86,    0.64,  355.72,    0.85,",
      "1972, 4, 5661.92,  -93.75,   -0.09,  -30.21,   -0.07,",
      "1972, 5, 4587.89, -562.76,   -0.37, -181.35,   -0.43,",
      "1972, 6, 5093.01,  -70.12,   -0.05,  -22.60,   -0.05,",
      "1972, 7, 5631.06,  -44.51,   -0.03,  -14.34,   -0.03,",
      "1972, 8, 6788.47, 1499.28,    1.04,  483.14,    1.15,",
      "1972, 9, 6155.48,  709.02,    0.64,  228.48,    0.55,",
      "1972,10, 5933.15,  292.89,    0.63,   94.38,    0.23,",
      "1972,11, 6348.05, 1056.58,    0.95,  340.48,    0.81,",
      "1972,12, 7106.52, 1819.37,    0.75,  586.29,    1.40,",
      "1973, 1, 7655.51, 2202.19,    0.65,  709.65,    1.69,",
      "1973, 2, 5661.33, 1192.43,    0.59,  384.26,    0.92,",
      "1973, 3, 6557.58,  835.36,    0.49,  269.19,    0.64,",
      "1973, 4, 6298.41,  542.75,    0.50,  174.90,    0.42,",
      "1973, 5, 5552.97,  402.31,    0.26,  129.64,    0.31,",
      "1973, 6, 6448.66, 1285.52,    0.87,  414.26,    0.99,",
      "1973, 7, 7255.63, 1580.07,    1.21,  509.17,    1.22,",
      "1973, 8, 6013.81,  724.62,    0.50,  233.51,    0.56,",
      "1973, 9, 6402.08,  955.62,    0.86,  307.95,    0.74,",
      "1973,10, 5053.60, -586.66,   -1.26, -189.05,   -0.45,",
      "1973,11, 4823.85, -467.61,   -0.42, -150.69,   -0.36,",
      "1973,12, 3684.16,-1602.99,   -0.66, -516.56,   -1.23,",
      "1974, 1, 2862.48,-2590.84,   -0.76, -834.89,   -1.99,",
      "1974, 2, 2261.08,-2207.83,   -1.09, -711.47,   -1.70,",
      "1974, 3, 3728.46,-1993.76,   -1.16, -642.48,   -1.53,",
      "1974, 4, 4328.79,-1426.87,   -1.32, -459.80,   -1.10,",
      "1974, 5, 3107.35,-2043.31,   -1.34, -658.45,   -1.57,",
      "1974, 6, 3507.68,-1655.46,   -1.12, -533.47,   -1.27,",
      "1974, 7, 4725.05, -950.51,   -0.73, -306.30,   -0.73,",
      "1974, 8, 4107.00,-1182.19,   -0.82, -380.96,   -0.91,",
      "1974, 9, 4419.42,-1027.04,   -0.92, -330.96,   -0.79,",
      "1974,10, 5614.97,  -25.30,   -0.05,   -8.15,   -0.02,",
      "1974,11, 4220.04,-1071.43,   -0.96, -345.27,   -0.82,",
      "",
  };
  EXPECT_EQ(read_records("ST0001-EDIint.csv"), expected_edi);

  const Lines prn = read_records("ST0001-PRN.csv");
  ASSERT_EQ(prn.size(), expected_edi.size() - 1);  // no empty record at the end
  EXPECT_EQ(prn[0], " YEAR,MO,EP,DEP,SEP,PRN");
  for (std::size_t i = 1; i < prn.size(); ++i) {
    EXPECT_EQ(prn[i], prn_part(expected_edi[i]));
    // PRN is DEP over the weight sum 3.1032107 (both written to 2 decimals).
    const double dep = std::atof(prn[i].substr(17, 8).c_str());
    const double value = std::atof(prn[i].substr(35, 8).c_str());
    EXPECT_NEAR(value, dep / 3.1032107, 0.0067) << prn[i];
  }
}

// Every month equals its normal: EP is the climatological EP, DEP and PRN are
// 0.00, and SEP (0 / 0) is NaN, which edi reads back. A January start puts
// the first month in December of the first year. By hand, for December the
// twelve windows of the 10..120 cycle give sum over j of 5 (25 - j) = 1110;
// for November 1000.
TEST(EffectivePrecipitation, MonthsAtTheirNormals) {
  TempDir dir;
  indices_testing::write_table("ST0001-spiformat.csv", {cycle(1960), cycle(1961)});
  indices::computeedi(indices_testing::kObserved);
  const Lines prn = read_records("ST0001-PRN.csv");
  ASSERT_EQ(prn.size(), 14u);
  EXPECT_EQ(prn[1], "1960,12, 1110.00,    0.00,     NaN,    0.00,");
  EXPECT_EQ(prn[2], "1961, 1,  857.61,    0.00,     NaN,    0.00,");
  EXPECT_EQ(prn[12], "1961,11, 1000.00,    0.00,     NaN,    0.00,");
  EXPECT_EQ(prn[13], "1961,12, 1110.00,    0.00,     NaN,    0.00,");

  const Lines edi = read_records("ST0001-EDI.csv");
  ASSERT_EQ(edi.size(), 15u);
  EXPECT_EQ(edi[1], "1960,12, 1110.00,    0.00,     NaN,    0.00,     NaN,");
  EXPECT_EQ(edi[14], "");
}

// A calendar month without any total has the normal 0 and its months are
// filled with 0, so the table still sits at its normals; a month missing in
// one year only is filled with its normal truncated (100).
TEST(EffectivePrecipitation, MissingMonthsAreFilledWithTruncatedNormals) {
  TempDir dir;
  std::vector<Year> years{flat(1960, 100), flat(1961, 100), flat(1962, 100)};
  for (Year& y : years) y.t[1] = M;
  years[1].t[6] = M;
  indices_testing::write_table("ST0001-spiformat.csv", years);
  indices::computeedi(indices_testing::kObserved);
  const Lines prn = read_records("ST0001-PRN.csv");
  ASSERT_EQ(prn.size(), 26u);
  for (std::size_t i = 1; i < prn.size(); ++i)
    EXPECT_EQ(prn[i].substr(17), "    0.00,     NaN,    0.00,") << prn[i];
}

// 250 years: the first 200 are read, so the period ends in December of the
// 200th year; edi holds the first 2000 of those 2389 months.
TEST(EffectivePrecipitation, LongTablesAreCut) {
  TempDir dir;
  std::vector<Year> years;
  for (int y = 1701; y <= 1950; ++y) years.push_back(flat(y, 50));
  indices_testing::write_table("ST0001-spiformat.csv", years);
  indices::computeedi(indices_testing::kObserved);
  const Lines prn = read_records("ST0001-PRN.csv");
  ASSERT_EQ(prn.size(), 1u + 12 * 200 - 11);
  EXPECT_EQ(prn[1], "1701,12,  600.00,    0.00,     NaN,    0.00,");
  EXPECT_EQ(prn.back().substr(0, 8), "1900,12,");
  const Lines edi = read_records("ST0001-EDI.csv");
  ASSERT_EQ(edi.size(), 2002u);
  EXPECT_EQ(edi[2000].substr(0, 8), "1868, 7,");
}

// One month in the period: its sample of one gives SD 0/0 per month and for
// edi, so SEP and EDI are NaN.
TEST(EffectivePrecipitation, SingleMonthPeriod) {
  TempDir dir;
  indices_testing::write_table("ST0001-spiformat.csv", {cycle(1960)});
  indices::computeedi(indices_testing::kObserved);
  EXPECT_EQ(read_records("ST0001-EDI.csv"),
            (Lines{" YEAR,MO,EP,DEP,SEP,PRN,EDI",
                   "1960,12, 1110.00,    0.00,     NaN,    0.00,     NaN,", ""}));
}

TEST(EffectivePrecipitation, DegenerateTablesWriteHeadersOnly) {
  const Lines header_only{" YEAR,MO,EP,DEP,SEP,PRN"};
  const Lines edi_empty{" YEAR,MO,EP,DEP,SEP,PRN,EDI", ""};
  Year all_missing{1960, {}};
  all_missing.t.fill(M);
  Year jan_to_nov = cycle(1961);
  jan_to_nov.t[11] = M;
  Year from_march = cycle(1961);
  from_march.t[0] = from_march.t[1] = M;

  const std::vector<std::vector<Year>> tables{
      {all_missing, cycle(1961)},  // no first data month
      {cycle(1960), all_missing},  // no last data month
      {jan_to_nov},                // the period would start in December
      {from_march},                // the period would start a year later
  };
  for (const auto& table : tables) {
    TempDir dir;
    indices_testing::write_table("ST0001-spiformat.csv", table);
    indices::computeedi(indices_testing::kObserved);
    EXPECT_EQ(read_records("ST0001-PRN.csv"), header_only);
    EXPECT_EQ(read_records("ST0001-EDI.csv"), edi_empty);
  }
}

// Year fields that skip years: the walk counts years on from the first but
// never past the months with effective precipitation.
TEST(EffectivePrecipitation, YearFieldsThatSkipYears) {
  TempDir dir;
  indices_testing::write_table("ST0001-spiformat.csv", {flat(1950, 10), flat(1990, 10)});
  indices::computeedi(indices_testing::kObserved);
  const Lines prn = read_records("ST0001-PRN.csv");
  ASSERT_EQ(prn.size(), 14u);
  EXPECT_EQ(prn[13].substr(0, 8), "1951,12,");
}

TEST(EffectivePrecipitation, EmptyTableIsFatal) {
  TempDir dir;
  testing_support::write_file("ST0001-spiformat.csv", "");
  EXPECT_THROW(indices::computeedi(indices_testing::kObserved), records::FatalError);
}

}  // namespace
