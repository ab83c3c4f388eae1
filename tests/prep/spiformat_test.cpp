#include "prep/spiformat.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "prep/table_record.h"
#include "records/fatal.h"
#include "support/tempdir.h"

using prep_testing::M;
using testing_support::read_records;
using testing_support::write_file;

namespace {

// A fill record of station 10 whose first days are given and the rest are 0.00.
std::string fill(int year, int month, std::vector<std::string> days = {}) {
  days.resize(31, "0.00");
  std::string s = "    10,PRCP," + std::to_string(year) + "," + std::to_string(month) + ",";
  for (const auto& d : days) s += d + ",";
  return s + "\r\n";
}

std::vector<std::string> table(const std::string& fill_text) {
  write_file("a-fill-prcp.csv", fill_text);
  prep::spiformat("a");
  return read_records("a-spiformat.csv");
}

std::string record(int year, const std::vector<int>& totals) {
  return prep_testing::table_record(10, year, totals);
}

}  // namespace

TEST(MonthlyTable, GapRowsAndMonthsOutsideTheSpanAreMissing) {
  testing_support::TempDir dir;
  // April 1950 to February 1951; May 1950 and January 1951 are gap rows.
  // The gap days of April and February are listed, their other days keep
  // their total.
  std::vector<std::string> gap_row(31, "-99.90"), thirty(gap_row);
  thirty[30] = "1.00";
  std::string text =
      fill(1950, 4, {"10.00", "20.00", "-999.00", "-99.90"}) + fill(1950, 5, gap_row);
  for (int m = 6; m <= 12; ++m) text += fill(1950, m, {std::to_string(m)});
  const auto recs = table(text + fill(1951, 1, gap_row) + fill(1951, 2, thirty));
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].size(), 108u);
  EXPECT_EQ(recs[0], record(1950, {M, M, M, 30, M, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(recs[1], record(1951, {M, 1, M, M, M, M, M, M, M, M, M, M}));
  const auto gaps = read_records("a-msgdata.csv");
  ASSERT_EQ(gaps.size(), 93u);
  EXPECT_EQ(gaps[0], "1950, 4, 4,");
  EXPECT_EQ(gaps[1], "1950, 5, 1,");
  EXPECT_EQ(gaps[31], "1950, 5,31,");
  EXPECT_EQ(gaps[62], "1951, 1,31,");
  EXPECT_EQ(gaps[92], "1951, 2,30,");
}

TEST(MonthlyTable, TotalsTruncateAsTheyAddAndPassOverOtherNegatives) {
  testing_support::TempDir dir;
  write_file("a-msgdata.csv", "1900, 1, 1,\r\n");
  std::string text = fill(1950, 1, std::vector<std::string>(31, "-999.00"))  // 0, not missing
                     + fill(1950, 2, {"0.60", "0.60"})                       // 0
                     + fill(1950, 3, {"1.60", "1.60"})                       // 2
                     + fill(1950, 4, {"-99.89", "7.00", "-1.00"});           // not the gap value
  for (int m = 5; m <= 12; ++m) text += fill(1950, m);
  EXPECT_EQ(table(text), std::vector{record(1950, {0, 0, 2, 7, 0, 0, 0, 0, 0, 0, 0, 0})});
  // No gap day: the gap list receives no record and keeps an earlier run's.
  EXPECT_EQ(read_records("a-msgdata.csv"), std::vector<std::string>{"1900, 1, 1,"});

  // Rows are taken in file order: the second claims July but fills February.
  // The bad record ends the reading; its year and month still end the table.
  EXPECT_EQ(table(fill(1950, 1, {"1.00"}) + fill(1950, 7, {"2.00"}) + fill(1950, 3, {"3.00"}) +
                  "    10,PRCP,1950, 2, x\r\n"),
            std::vector{record(1950, {1, 2, M, M, M, M, M, M, M, M, M, M})});
}

TEST(MonthlyTable, NoTableFromAFillFileWithoutAYearToWalk) {
  testing_support::TempDir dir;
  // A corrupt year would make the yearly walk endless.
  EXPECT_THROW(table(fill(1950, 1) + fill(2000000000, 12)), records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("a-spiformat.csv"));
  // A first record dated after the last year gives no year: an earlier table is emptied.
  write_file("a-spiformat.csv", record(1950, std::vector<int>(12, 0)) + "\r\n");
  EXPECT_EQ(table(fill(1951, 1) + fill(1950, 12)), std::vector<std::string>{});
}
