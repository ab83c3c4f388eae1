#include "compare/combine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/tempdir.h"

using testing_support::read_file;
using testing_support::read_records;
using testing_support::write_file;

namespace {

using Spi = std::vector<double>;

// Year and month I4, I2, then every value F7.2, each followed by a comma.
std::string record(int year, int month, const Spi& first, const Spi& second = {}) {
  char buf[16];
  std::string s = (std::snprintf(buf, sizeof buf, "%4d,%2d,", year, month), buf);
  for (const Spi* set : {&first, &second}) {
    for (double v : *set) s += (std::snprintf(buf, sizeof buf, "%7.2f,", v), buf);
  }
  return s;
}
std::string result(int year, int month, const Spi& spi) {
  return record(year, month, spi) + " \r\n";
}

}  // namespace

TEST(CombinedTable, JoinsBothSeriesAndIsStableWhenRunTwice) {
  testing_support::TempDir dir;
  auto observed = [](double v) { return Spi{-99.0, v, v, v, v, v, -99.0}; };
  auto interpolated = [](double v) { return Spi{0.53, v + 1, v, v, v, v, -2.25}; };
  std::string obs_text, int_text;
  for (int i = 0; i < 36; ++i) {
    obs_text += result(1950 + i / 12, i % 12 + 1, observed(i / 10.0 - 1.5));
    int_text += result(1950 + i / 12, i % 12 + 1, interpolated(i / 10.0 - 1.5));
  }
  write_file("a-spi-results.csv", obs_text);
  write_file("a-spi-results-int.csv", int_text);
  compare::combine("a");
  const auto recs = read_records("a-spi-results.csv");
  ASSERT_EQ(recs.size(), 36u);
  EXPECT_EQ(recs[0].size(), 120u);
  EXPECT_EQ(recs[0], record(1950, 1, observed(-1.5), interpolated(-1.5)));
  EXPECT_EQ(recs[35], record(1952, 12, observed(2.0), interpolated(2.0)));
  // The second run reads the first seven values of each record as the observed set.
  const std::string first = read_file("a-spi-results.csv");
  compare::combine("a");
  EXPECT_EQ(read_file("a-spi-results.csv"), first);
}

TEST(CombinedTable, RowsFollowTheInterpolatedFile) {
  testing_support::TempDir dir;
  // No observed file: the observed values are missing. The interpolated file
  // gives the labels and, up to its bad record, the number of rows.
  const Spi missing(7, -99.0), a(7, 2), b{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7};
  write_file("a-spi-results-int.csv",
             result(1960, 5, a) + result(1960, 6, b) + "1960, 7, bad\r\n" + result(1960, 8, a));
  compare::combine("a");
  EXPECT_EQ(read_records("a-spi-results.csv"),
            (std::vector{record(1960, 5, missing, a), record(1960, 6, missing, b)}));
  // Without any interpolated record an earlier table is replaced by an empty one.
  write_file("b-spi-results.csv", result(1950, 1, a));
  compare::combine("b");
  EXPECT_EQ(std::filesystem::file_size("b-spi-results.csv"), 0u);
}
