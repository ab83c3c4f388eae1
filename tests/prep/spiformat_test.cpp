#include "prep/spiformat.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "records/records.h"
#include "support/tempdir.h"

using testing_support::read_records;
using testing_support::write_file;

namespace {

// A fill record whose first days are given and the rest are 0.00.
std::string fill(int year, int month, std::vector<std::string> days) {
  days.resize(31, "0.00");
  std::string s = "    10,PRCP," + std::to_string(year) + "," + std::to_string(month) + ",";
  for (const auto& d : days) s += d + ",";
  return s + "\r\n";
}
const std::vector<std::string> kGapRow(31, "-99.90");

std::string table_record(int year, const std::vector<int>& totals) {
  std::string s = "    10," + std::to_string(year) + ",";
  char field[16];
  for (int t : totals) s += (std::snprintf(field, sizeof field, "%7d,", t), field);
  return s;
}
constexpr int M = -9999;

}  // namespace

TEST(MonthlyTable, GapRowsAndMonthsOutsideTheSpanAreMissing) {
  testing_support::TempDir dir;
  // April 1950 to February 1951; May 1950 and January 1951 are gap rows.
  // April's gap day is listed and its other days keep their total.
  std::string text =
      fill(1950, 4, {"10.00", "20.00", "-999.00", "-99.90"}) + fill(1950, 5, kGapRow);
  for (int m = 6; m <= 12; ++m) text += fill(1950, m, {std::to_string(m)});
  write_file("a-fill-prcp.csv", text + fill(1951, 1, kGapRow) + fill(1951, 2, {"1.00"}));
  prep::spiformat("a");

  const auto table = read_records("a-spiformat.csv");
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].size(), 108u);
  EXPECT_EQ(table[0], table_record(1950, {M, M, M, 30, M, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(table[1], table_record(1951, {M, 1, M, M, M, M, M, M, M, M, M, M}));
  const auto gaps = read_records("a-msgdata.csv");
  ASSERT_EQ(gaps.size(), 63u);
  EXPECT_EQ(gaps[0], "1950, 4, 4,");
  EXPECT_EQ(gaps[1], "1950, 5, 1,");
  EXPECT_EQ(gaps[31], "1950, 5,31,");
  EXPECT_EQ(gaps[62], "1951, 1,31,");
}

TEST(MonthlyTable, TotalsTruncateAsTheyAddAndPassOverOtherNegatives) {
  testing_support::TempDir dir;
  write_file("a-msgdata.csv", "1900, 1, 1,\r\n");
  std::string text = fill(1950, 1, std::vector<std::string>(31, "-999.00"))  // 0, not missing
                     + fill(1950, 2, {"0.60", "0.60"})                       // 0
                     + fill(1950, 3, {"1.60", "1.60"})                       // 2
                     + fill(1950, 4, {"-99.89", "7.00", "-1.00"});           // not the gap value
  for (int m = 5; m <= 12; ++m) text += fill(1950, m, {});
  write_file("a-fill-prcp.csv", text);
  prep::spiformat("a");
  EXPECT_EQ(read_records("a-spiformat.csv"),
            std::vector<std::string>{table_record(1950, {0, 0, 2, 7, 0, 0, 0, 0, 0, 0, 0, 0})});
  // No gap day: the gap list receives no record and keeps an earlier run's.
  EXPECT_EQ(read_records("a-msgdata.csv"), std::vector<std::string>{"1900, 1, 1,"});
}

TEST(MonthlyTable, RowsAreTakenInFileOrderAndMonthsWithoutARowAreMissing) {
  testing_support::TempDir dir;
  // The second row claims July but fills February. The bad record ends the
  // reading; its year and month (May 1951) still end the table.
  write_file("a-fill-prcp.csv", fill(1950, 1, {"1.00"}) + fill(1950, 7, {"2.00"}) +
                                    fill(1950, 3, {"3.00"}) + "    10,PRCP,1951, 5, x\r\n" +
                                    fill(1951, 6, {"4.00"}));
  prep::spiformat("a");
  EXPECT_EQ(read_records("a-spiformat.csv"),
            (std::vector<std::string>{table_record(1950, {1, 2, 3, M, M, M, M, M, M, M, M, M}),
                                      table_record(1951, std::vector<int>(12, M))}));
}

TEST(MonthlyTable, InputFailuresEndTheProgram) {
  testing_support::TempDir dir;
  EXPECT_THROW(prep::spiformat("a"), records::FatalError);  // no fill file
  EXPECT_FALSE(std::filesystem::exists("a-fill-prcp.csv"));
  // A corrupt year would make the yearly walk endless.
  write_file("b-fill-prcp.csv", fill(1950, 1, {}) + fill(2000000000, 12, {}));
  EXPECT_THROW(prep::spiformat("b"), records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("b-spiformat.csv"));
}
