#include "indices/percentnormal.h"

#include <gtest/gtest.h>

#include "support/tempdir.h"
#include "table_files.h"

namespace {

using indices_testing::M;
using indices_testing::only;
using testing_support::read_file;
using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;
using Lines = std::vector<std::string>;

TEST(PercentOfNormal, EveryKindOfCell) {
  TempDir dir;
  // Per column: Jan normal 200; Feb all zero (0/0); Mar one total with two
  // missing months; Apr a zero total; May every total its normal; Jun never
  // present; Jul..Dec normal 2.
  indices_testing::write_table("ST0001-spiformat.csv",
                               {
                                   {1960, {100, 0, 50, 0, 7, M, 1, 1, 1, 1, 1, 1}},
                                   {1961, {300, 0, M, 10, 7, M, 2, 2, 2, 2, 2, 2}},
                                   {1962, {200, 0, M, 20, 7, M, 3, 3, 3, 3, 3, 3}},
                               });
  indices::percentnormal(indices_testing::kObserved);
  // clang-format off
  EXPECT_EQ(read_records("ST0001-pctnorm.csv"), (Lines{
      "1960, 50.00,   NaN,100.00,  0.00,100.00,-99.00, 50.00, 50.00, 50.00, 50.00, 50.00, 50.00,",
      "1961,150.00,   NaN,-99.00,100.00,100.00,-99.00,100.00,100.00,100.00,100.00,100.00,100.00,",
      "1962,100.00,   NaN,-99.00,200.00,100.00,-99.00,150.00,150.00,150.00,150.00,150.00,150.00,",
      "",
  }));
  // clang-format on
}

TEST(PercentOfNormal, JanuaryAlonePresent) {
  TempDir dir;
  // Normal (42617 + 57383) / 2 = 50000: 85.234 and 114.766 percent.
  indices_testing::write_table("ST0001-spiformat.csv",
                               {only(1950, 1, 42617), only(1951, 1, 57383)});
  indices::percentnormal(indices_testing::kObserved);
  const Lines lines = read_records("ST0001-pctnorm.csv");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "1950, 85.23,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,-99.00,"
            "-99.00,");
  EXPECT_EQ(lines[1].substr(0, 12), "1951,114.77,");
}

// 250 years: only the first 200 are read, and the normal is theirs. January:
// 16777216 (2^24) in the first year, 755000 in the second, 1 in years 3 to 200
// and 10^8 in years 201 to 250 (which would change every percent if read).
// The January sum is kept in single precision: 2^24 + 755000 = 17532216 is
// exact, but each following 1 is lost (17532217 rounds to the even 17532216),
// so the normal is 17532216 / 200 = 87661.08 and 755000 is 861.27 percent;
// a sum in double (17532414) would give 87662.07 and 861.26. 2^24 itself is
// 191 times its normal: asterisks.
//   python3 tests/indices/indices_reference.py percent [--double] < table
TEST(PercentOfNormal, TwoHundredYearsWithSinglePrecisionNormal) {
  TempDir dir;
  std::vector<indices_testing::Year> years{only(1801, 1, 16777216), only(1802, 1, 755000)};
  for (int y = 1803; y <= 2000; ++y) years.push_back(only(y, 1, 1));
  for (int y = 2001; y <= 2050; ++y) years.push_back(only(y, 1, 100000000));
  indices_testing::write_table("ST0001-spi-interpolated.csv", years);

  indices::percentnormal(indices_testing::kInterpolated);
  const Lines lines = read_records("ST0001-pctnormint.csv");
  ASSERT_EQ(lines.size(), 201u);
  EXPECT_EQ(lines[0].substr(0, 12), "1801,******,");
  EXPECT_EQ(lines[1].substr(0, 12), "1802,861.27,");
  EXPECT_EQ(lines[2].substr(0, 12), "1803,  0.00,");
  EXPECT_EQ(lines[199].substr(0, 12), "2000,  0.00,");
  EXPECT_EQ(lines[200], "");
}

TEST(PercentOfNormal, TenTimesTheNormalOverflowsTheField) {
  TempDir dir;
  // January normal 10: a total of 100 is 1000 percent, too wide for six
  // columns; a total of 0 is two blanks and 0.00.
  std::vector<indices_testing::Year> years;
  for (int y = 1; y <= 9; ++y) years.push_back(only(1900 + y, 1, 0));
  years.push_back(only(1910, 1, 100));
  indices_testing::write_table("ST0001-spiformat.csv", years);
  indices::percentnormal(indices_testing::kObserved);
  const Lines lines = read_records("ST0001-pctnorm.csv");
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[9].substr(0, 12), "1910,******,");
  EXPECT_EQ(lines[0].substr(0, 12), "1901,  0.00,");
}

TEST(PercentOfNormal, ReadingStopsAtTheFirstBadRecordAndEmptyTables) {
  TempDir dir;
  // The third record holds a value that is no integer: it and the records
  // after it are ignored, also for the normal (100 and 300 give 200).
  write_file("ST0001-spiformat.csv",
             "1,1960,100,1,1,1,1,1,1,1,1,1,1,1\r\n"
             "1,1961,300,1,1,1,1,1,1,1,1,1,1,1\r\n"
             "1,1962,x,1,1,1,1,1,1,1,1,1,1,1\r\n"
             "1,1963,900,1,1,1,1,1,1,1,1,1,1,1\r\n");
  indices::percentnormal(indices_testing::kObserved);
  const Lines lines = read_records("ST0001-pctnorm.csv");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 12), "1960, 50.00,");
  EXPECT_EQ(lines[1].substr(0, 12), "1961,150.00,");

  // A missing or empty table: the output holds the empty record only.
  indices::percentnormal(indices_testing::kInterpolated);
  EXPECT_EQ(read_file("ST0001-pctnormint.csv"), "\r\n");
}

}  // namespace
