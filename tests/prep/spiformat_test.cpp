#include "prep/spiformat.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "records/records.h"
#include "support/tempdir.h"

namespace {

using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;

// A fill record as the daily reader writes it, from 31 day texts.
std::string fill(int year, int month, const std::vector<std::string>& days, int station = 10) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "%6d,PRCP,%4d,%2d,", station, year, month);
  std::string s = prefix;
  for (const auto& d : days) s += d + ",";
  return s + "\r\n";
}

std::vector<std::string> days(const std::string& value) {
  return std::vector<std::string>(31, value);
}

// Days given first, the rest 0.00.
std::vector<std::string> days_from(std::vector<std::string> first) {
  first.resize(31, "0.00");
  return first;
}

std::string year_record(const std::string& station_year, const std::vector<int>& totals) {
  std::string s = station_year;
  for (int t : totals) {
    char field[16];
    std::snprintf(field, sizeof field, "%7d,", t);
    s += field;
  }
  return s;
}

}  // namespace

TEST(MonthlyTable, GapRecordsAndMonthsOutsideTheSpanAreMissing) {
  TempDir dir;
  std::string text = fill(1950, 4, days_from({"10.00", "20.00", "-999.00"}));  // 30
  text += fill(1950, 5, days("-99.90"));                                       // all gap days
  for (int m = 6; m <= 12; ++m) text += fill(1950, m, days_from({std::to_string(m)}));
  text += fill(1951, 1, days("-99.90"));
  text += fill(1951, 2, days_from({"1.00"}));
  write_file("000010-fill-prcp.csv", text);

  prep::spiformat("000010");
  const auto table = read_records("000010-spiformat.csv");
  ASSERT_EQ(table.size(), 2u);
  for (const auto& r : table) EXPECT_EQ(r.size(), 108u);
  EXPECT_EQ(table[0],
            year_record("    10,1950,", {-9999, -9999, -9999, 30, -9999, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(table[1], year_record("    10,1951,", {-9999, 1, -9999, -9999, -9999, -9999, -9999,
                                                   -9999, -9999, -9999, -9999, -9999}));

  const auto gaps = read_records("000010-msgdata.csv");
  ASSERT_EQ(gaps.size(), 62u);
  for (const auto& r : gaps) EXPECT_EQ(r.size(), 11u);
  EXPECT_EQ(gaps[0], "1950, 5, 1,");
  EXPECT_EQ(gaps[30], "1950, 5,31,");
  EXPECT_EQ(gaps[61], "1951, 1,31,");
}

TEST(MonthlyTable, TotalsTruncateAsTheyAddAndPassOverOtherNegatives) {
  TempDir dir;
  std::string text = fill(1950, 1, days("-999.00"));                        // 0, not missing
  text += fill(1950, 2, days_from({"0.60", "0.60"}));                       // 0
  text += fill(1950, 3, days_from({"1.60", "1.60"}));                       // 2
  text += fill(1950, 4, days_from({"-99.90", "-99.90", "5.00", "-1.00"}));  // gaps keep the rest
  text += fill(1950, 5, days_from({"-99.89", "7.00"}));  // not the gap value: passed over
  for (int m = 6; m <= 12; ++m) text += fill(1950, m, days_from({}));
  write_file("000010-fill-prcp.csv", text);

  prep::spiformat("000010");
  const auto table = read_records("000010-spiformat.csv");
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0], year_record("    10,1950,", {0, 0, 2, 5, 7, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(read_records("000010-msgdata.csv"),
            (std::vector<std::string>{"1950, 4, 1,", "1950, 4, 2,"}));
}

TEST(MonthlyTable, RunWithoutGapDaysLeavesAnEarlierGapListAlone) {
  TempDir dir;
  write_file("000010-msgdata.csv", "1900, 1, 1,\r\n");
  std::string text;
  for (int m = 1; m <= 12; ++m) text += fill(1950, m, days_from({"1.00"}));
  write_file("000010-fill-prcp.csv", text);
  prep::spiformat("000010");
  EXPECT_EQ(read_records("000010-msgdata.csv"), std::vector<std::string>{"1900, 1, 1,"});
}

TEST(MonthlyTable, RowsAreTakenInFileOrderAndMonthsWithoutARowAreMissing) {
  TempDir dir;
  // The second row claims July but fills February; a bad record ends the
  // reading after March 1950, and its year and month still end the table.
  std::string text = fill(1950, 1, days_from({"1.00"}));
  text += fill(1950, 7, days_from({"2.00"}));
  text += fill(1950, 3, days_from({"3.00"}));
  text += "    10,PRCP,1951, 5, x\r\n";
  text += fill(1950, 5, days_from({"4.00"}));
  write_file("000010-fill-prcp.csv", text);
  prep::spiformat("000010");
  const auto table = read_records("000010-spiformat.csv");
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0], year_record("    10,1950,", {1, 2, 3, -9999, -9999, -9999, -9999, -9999,
                                                   -9999, -9999, -9999, -9999}));
  EXPECT_EQ(table[1], year_record("    10,1951,", std::vector<int>(12, -9999)));
}

TEST(MonthlyTable, InputFailures) {
  TempDir dir;
  EXPECT_THROW(prep::spiformat("000010"), records::FatalError);  // no fill file
  EXPECT_FALSE(std::filesystem::exists("000010-fill-prcp.csv"));
  // A corrupt year would make the yearly walk endless.
  write_file("000011-fill-prcp.csv",
             fill(1950, 1, days("1.00")) + fill(2000000000, 12, days("1.00")));
  EXPECT_THROW(prep::spiformat("000011"), records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("000011-spiformat.csv"));
}
