#include "indices/deciles.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/tempdir.h"
#include "table_files.h"

namespace {

using indices_testing::M;
using indices_testing::Year;
using testing_support::read_file;
using testing_support::read_records;
using testing_support::TempDir;
using Lines = std::vector<std::string>;

// Years from 1901 holding the values in order, twelve to a year; the months
// after the last value are missing.
std::vector<Year> years_of(const std::vector<int>& values) {
  std::vector<Year> years;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i % 12 == 0) {
      years.push_back({static_cast<int>(1901 + i / 12), {}});
      years.back().t.fill(M);
    }
    years.back().t[i % 12] = values[i];
  }
  return years;
}

std::vector<int> range(int from, int to) {
  std::vector<int> v;
  for (int x = from; x <= to; ++x) v.push_back(x);
  return v;
}

// The code the deciles file gives the total in the table.
int code_of(const Lines& lines, const std::vector<Year>& years, int total) {
  for (std::size_t i = 0; i < years.size(); ++i)
    for (int m = 0; m < 12; ++m)
      if (years[i].t[m] == total) return std::stoi(lines.at(i).substr(12 + 4 * m, 3));
  ADD_FAILURE() << "no total " << total;
  return 0;
}

Lines run(const std::vector<Year>& years) {
  indices_testing::write_table("ST0001-spiformat.csv", years, 42);
  indices::deciles(indices_testing::kObserved);
  return read_records("ST0001-deciles.csv");
}

TEST(Deciles, HundredDistinctTotals) {
  TempDir dir;
  // s = 10: class k spans (k-1)*10+1 .. k*10.
  const std::vector<Year> years = years_of(range(1, 100));
  const Lines lines = run(years);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[3], "    42,1904,  4,  4,  4,  4,  5,  5,  5,  5,  5,  5,  5,  5,");
  EXPECT_EQ(lines[8], "    42,1909, 10, 10, 10, 10,-99,-99,-99,-99,-99,-99,-99,-99,");
  for (int v = 1; v <= 100; ++v) EXPECT_EQ(code_of(lines, years, v), (v - 1) / 10 + 1) << v;
}

TEST(Deciles, TenthClassTakesTheRemainder) {
  TempDir dir;
  // 105 totals: s = 10, class 10 spans 91 to 105.
  const std::vector<Year> years = years_of(range(1, 105));
  const Lines lines = run(years);
  EXPECT_EQ(code_of(lines, years, 90), 9);
  for (int v = 91; v <= 105; ++v) EXPECT_EQ(code_of(lines, years, v), 10) << v;
}

TEST(Deciles, TiedTotalsStayInTheLowerClass) {
  TempDir dir;
  // 35 zeros and 1..65, interleaved so that the sort has work to do. Class 1
  // is 0..0; classes 2 and 3 get the bounds 1..0 and stay empty; class 4 is
  // 1..5 (sorted positions 31..40); class k >= 5 is (k-1)*10-34 .. k*10-35.
  std::vector<int> values;
  for (int v = 65; v >= 1; --v) {
    values.push_back(v);
    if (v % 2 == 0 || v > 60) values.push_back(0);
  }
  ASSERT_EQ(values.size(), 100u);
  const std::vector<Year> years = years_of(values);
  const Lines lines = run(years);
  EXPECT_EQ(code_of(lines, years, 0), 1);
  for (int v = 1; v <= 5; ++v) EXPECT_EQ(code_of(lines, years, v), 4) << v;
  for (int v = 6; v <= 65; ++v) EXPECT_EQ(code_of(lines, years, v), 5 + (v - 6) / 10) << v;
  EXPECT_EQ(lines[0].substr(0, 24), "    42,1901, 10,  1, 10,");  // 65, 0, 64
}

// Only the first 150 years are pooled and classified: 1..1800 give s = 180;
// the zeros of the 50 later years would otherwise take the lowest classes.
TEST(Deciles, TwoHundredYearsAreCutAt150) {
  TempDir dir;
  std::vector<int> values = range(1, 1800);
  values.insert(values.end(), 600, 0);
  const std::vector<Year> years = years_of(values);
  const Lines lines = run(years);
  ASSERT_EQ(lines.size(), 150u);
  EXPECT_EQ(lines[0], "    42,1901,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,");
  EXPECT_EQ(lines[15].substr(0, 24), "    42,1916,  2,  2,  2,");  // 181..
  EXPECT_EQ(lines[149], "    42,2050, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10,");
}

TEST(Deciles, FewerThanTenTotalsGiveNoClasses) {
  TempDir dir;
  const Lines lines = run(years_of({5, 1, 9, 3, 7}));
  EXPECT_EQ(lines, (Lines{"    42,1901,-99,-99,-99,-99,-99,-99,-99,-99,-99,-99,-99,-99,"}));
}

TEST(Deciles, ReadingStopsAtTheFirstBadRecord) {
  TempDir dir;
  // The third record is cut short by a bad value: neither its codes nor its
  // totals count (a pooled 0 would shift every class down by one position).
  std::string text = indices_testing::table_text(years_of(range(1, 24)), 7);
  text += "7,1903,0,x\r\n";
  text += indices_testing::table_text({indices_testing::flat(1904, 500)}, 7);
  testing_support::write_file("ST0001-spi-interpolated.csv", text);
  indices::deciles(indices_testing::kInterpolated);
  const Lines lines = read_records("ST0001-decilesint.csv");
  ASSERT_EQ(lines.size(), 2u);
  // 24 totals: s = 2, class k spans 2k-1..2k, class 10 runs on to 24.
  EXPECT_EQ(lines[1], "     7,1902,  7,  7,  8,  8,  9,  9, 10, 10, 10, 10, 10, 10,");
}

TEST(Deciles, EmptyTableEmptiesTheOutput) {
  TempDir dir;
  testing_support::write_file("ST0001-decilesint.csv", "old\r\n");
  testing_support::write_file("ST0001-spi-interpolated.csv", "");
  indices::deciles(indices_testing::kInterpolated);
  EXPECT_EQ(read_file("ST0001-decilesint.csv"), "");
}

}  // namespace
