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

TEST(MonthlyTable, TotalsTruncateAsTheyAddAndPassOverOtherNegatives) {
  testing_support::TempDir dir;
  write_file("a-msgdata.csv", "1900, 1, 1,\r\n");
  std::string text = fill(1950, 1, std::vector<std::string>(31, "-999.00"))  // 0, not missing
                     + fill(1950, 2, {"0.60", "0.60"})                       // 0
                     + fill(1950, 3, {"1.60", "1.60"})                       // 2
                     + fill(1950, 4, {"-99.89", "7.00", "-1.00"});           // not the gap value
  for (int m = 5; m <= 12; ++m) text += fill(1950, m);
  EXPECT_EQ(table(text), std::vector{record(1950, {0, 0, 2, 7, 0, 0, 0, 0, 0, 0, 0, 0})});
  // No gap day: the gap list of an earlier run is emptied.
  EXPECT_EQ(testing_support::read_file("a-msgdata.csv"), "");

  // Rows are taken in file order: the second claims July but fills February.
  // The bad record ends the reading; its year and month still end the table.
  EXPECT_EQ(table(fill(1950, 1, {"1.00"}) + fill(1950, 7, {"2.00"}) + fill(1950, 3, {"3.00"}) +
                  "    10,PRCP,1950, 2, x\r\n"),
            std::vector{record(1950, {1, 2, M, M, M, M, M, M, M, M, M, M})});
}
