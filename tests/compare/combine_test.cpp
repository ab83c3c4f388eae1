#include "compare/combine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/tempdir.h"

namespace {

using testing_support::read_file;
using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;

// A results record: year, month and seven SPI values, as the results reader
// writes them.
std::string result(int year, int month, const std::vector<double>& spi) {
  char buf[128];
  int n = std::snprintf(buf, sizeof buf, "%4d,%2d,", year, month);
  for (double v : spi) n += std::snprintf(buf + n, sizeof buf - std::size_t(n), "%7.2f,", v);
  return std::string(buf) + " \r\n";
}

std::string fields(const std::vector<double>& spi) {
  std::string s;
  char buf[16];
  for (double v : spi) {
    std::snprintf(buf, sizeof buf, "%7.2f,", v);
    s += buf;
  }
  return s;
}

}  // namespace

TEST(CombinedTable, JoinsObservedAndInterpolatedSideBySide) {
  TempDir dir;
  std::string observed, interpolated;
  for (int i = 0; i < 36; ++i) {
    const int year = 1950 + i / 12, month = i % 12 + 1;
    const double base = i / 10.0 - 1.5;
    observed += result(year, month, {-99.0, -99.0, base, base, base, base, -99.0});
    interpolated += result(year, month, {0.53, base + 1, base, base, base, base, -2.25});
  }
  write_file("000010-spi-results.csv", observed);
  write_file("000010-spi-results-int.csv", interpolated);

  compare::combine("000010");
  const auto recs = read_records("000010-spi-results.csv");
  ASSERT_EQ(recs.size(), 36u);
  for (const auto& r : recs) EXPECT_EQ(r.size(), 120u);
  EXPECT_EQ(recs[0], "1950, 1," + fields({-99.0, -99.0, -1.5, -1.5, -1.5, -1.5, -99.0}) +
                         fields({0.53, -0.5, -1.5, -1.5, -1.5, -1.5, -2.25}));
  EXPECT_EQ(recs[35], "1952,12," + fields({-99.0, -99.0, 2.0, 2.0, 2.0, 2.0, -99.0}) +
                          fields({0.53, 3.0, 2.0, 2.0, 2.0, 2.0, -2.25}));

  // A second run reads the combined table as its observed input; only the
  // first seven values of each record count, so nothing changes.
  const std::string first = read_file("000010-spi-results.csv");
  compare::combine("000010");
  EXPECT_EQ(read_file("000010-spi-results.csv"), first);
}

TEST(CombinedTable, RowsFollowTheInterpolatedFile) {
  TempDir dir;
  // One observed record; the interpolated file has three, whose labels win.
  write_file("000010-spi-results.csv", result(1950, 1, {1, 1, 1, 1, 1, 1, 1}));
  write_file("000010-spi-results-int.csv",
             result(1960, 5, {2, 2, 2, 2, 2, 2, 2}) + result(1960, 6, {3, 3, 3, 3, 3, 3, 3}) +
                 "1960, 7, bad\r\n" + result(1960, 8, {4, 4, 4, 4, 4, 4, 4}));
  compare::combine("000010");
  const std::vector<double> missing(7, -99.0);
  EXPECT_EQ(read_records("000010-spi-results.csv"),
            (std::vector<std::string>{
                "1960, 5," + fields(std::vector<double>(7, 1)) + fields(std::vector<double>(7, 2)),
                "1960, 6," + fields(missing) + fields(std::vector<double>(7, 3))}));
}

TEST(CombinedTable, MissingObservedFileGivesMissingValues) {
  TempDir dir;
  write_file("000010-spi-results-int.csv", result(1950, 1, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}));
  compare::combine("000010");
  EXPECT_EQ(read_records("000010-spi-results.csv"),
            std::vector<std::string>{"1950, 1," + fields(std::vector<double>(7, -99.0)) +
                                     fields({0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7})});
}

TEST(CombinedTable, NoInterpolatedRecordsLeaveAnEmptyTable) {
  TempDir dir;
  write_file("000010-spi-results.csv", result(1950, 1, {1, 1, 1, 1, 1, 1, 1}));
  compare::combine("000010");
  EXPECT_TRUE(std::filesystem::exists("000010-spi-results.csv"));
  EXPECT_EQ(read_file("000010-spi-results.csv"), "");
}
