#include "compare/combine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tempdir.h"

using testing_support::read_file;
using testing_support::read_records;
using testing_support::write_file;

namespace {

// Seven F7.2 fields, each followed by a comma.
std::string fields(const std::vector<double>& spi) {
  std::string s;
  char buf[16];
  for (double v : spi) s += (std::snprintf(buf, sizeof buf, "%7.2f,", v), buf);
  return s;
}
// A results record as the results reader writes it.
std::string result(const char* year_month, const std::vector<double>& spi) {
  return year_month + fields(spi) + " \r\n";
}
const std::vector<double> kMissing(7, -99.0);

}  // namespace

TEST(CombinedTable, JoinsBothSeriesAndIsStableWhenRunTwice) {
  testing_support::TempDir dir;
  std::string observed, interpolated;
  for (int i = 0; i < 36; ++i) {
    char year_month[16];
    std::snprintf(year_month, sizeof year_month, "%4d,%2d,", 1950 + i / 12, i % 12 + 1);
    const double v = i / 10.0 - 1.5;
    observed += result(year_month, {-99.0, v, v, v, v, v, -99.0});
    interpolated += result(year_month, {0.53, v + 1, v, v, v, v, -2.25});
  }
  write_file("a-spi-results.csv", observed);
  write_file("a-spi-results-int.csv", interpolated);

  compare::combine("a");
  const auto recs = read_records("a-spi-results.csv");
  ASSERT_EQ(recs.size(), 36u);
  EXPECT_EQ(recs[0].size(), 120u);
  EXPECT_EQ(recs[0], "1950, 1," + fields({-99.0, -1.5, -1.5, -1.5, -1.5, -1.5, -99.0}) +
                         fields({0.53, -0.5, -1.5, -1.5, -1.5, -1.5, -2.25}));
  EXPECT_EQ(recs[35], "1952,12," + fields({-99.0, 2.0, 2.0, 2.0, 2.0, 2.0, -99.0}) +
                          fields({0.53, 3.0, 2.0, 2.0, 2.0, 2.0, -2.25}));
  // The second run reads only the first seven values of each combined record
  // as the observed set.
  const std::string first = read_file("a-spi-results.csv");
  compare::combine("a");
  EXPECT_EQ(read_file("a-spi-results.csv"), first);
}

TEST(CombinedTable, RowsFollowTheInterpolatedFile) {
  testing_support::TempDir dir;
  // No observed file: the observed values are missing. The interpolated file
  // gives the labels and, up to its bad record, the number of rows.
  write_file("a-spi-results-int.csv", result("1960, 5,", std::vector<double>(7, 2)) +
                                          result("1960, 6,", {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}) +
                                          "1960, 7, bad\r\n" + result("1960, 8,", kMissing));
  compare::combine("a");
  EXPECT_EQ(read_records("a-spi-results.csv"),
            (std::vector<std::string>{
                "1960, 5," + fields(kMissing) + fields(std::vector<double>(7, 2)),
                "1960, 6," + fields(kMissing) + fields({0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7})}));

  // Without any interpolated record the old table is still replaced, by an empty one.
  write_file("b-spi-results.csv", result("1950, 1,", std::vector<double>(7, 1)));
  compare::combine("b");
  EXPECT_TRUE(std::filesystem::exists("b-spi-results.csv"));
  EXPECT_EQ(read_file("b-spi-results.csv"), "");
}
