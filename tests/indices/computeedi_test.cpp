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

  // The first month with a full window, the filled July, the two months
  // that need single precision, the last data month; SEP and EDI rest on the
  // spread of the whole series.
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
