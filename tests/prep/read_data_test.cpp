#include "prep/read_data.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "records/records.h"
#include "support/tempdir.h"

namespace {

using testing_support::read_records;
using testing_support::write_file;

constexpr double kMissing = -99.0;

// A value distinct for each period, year and month: year digit, period tenth,
// negative in even months.
double value(int period, int year, int month) {
  const double v = year % 10 + 0.1 * period;
  return month % 2 == 0 ? -v : v;
}

// One SPI value record: station I6.6, year I5, 12 F7.2.
std::string value_record(int year, const std::array<double, 12>& v) {
  char buf[128];
  int n = std::snprintf(buf, sizeof buf, "%06d%5d", 123, year);
  for (double x : v)
    n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), "%7.2f", x);
  return std::string(buf) + "\r\n";
}

std::string value_file(int period, int y0, int y1) {
  std::string text;
  for (int y = y0; y <= y1; ++y) {
    std::array<double, 12> v;
    for (int m = 1; m <= 12; ++m) v[static_cast<std::size_t>(m - 1)] = value(period, y, m);
    text += value_record(y, v);
  }
  return text;
}

std::string name_of(int period) { return "fort." + std::to_string(10 * period + 2); }

// The expected results record: year I4, month I2, 7 F7.2, each with a comma, and a blank.
std::string result(int year, int month, const std::array<double, 7>& v) {
  char buf[128];
  int n = std::snprintf(buf, sizeof buf, "%4d,%2d,", year, month);
  for (double x : v)
    n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), "%7.2f,", x);
  return std::string(buf) + " ";
}

std::array<double, 7> all_periods(int year, int month) {
  std::array<double, 7> v;
  for (int i = 1; i <= 7; ++i) v[static_cast<std::size_t>(i - 1)] = value(i, year, month);
  return v;
}

void run(int first_year, int last_year) {
  prep::read_data(records::file_arg("123456", "-spi-results.csv"), first_year, last_year);
}

TEST(SpiResults, OneRecordPerMonthWithThePeriodsSideBySide) {
  testing_support::TempDir t;
  for (int i = 1; i <= 7; ++i) write_file(name_of(i), value_file(i, 1950, 1952));
  run(1950, 1952);
  const auto recs = read_records("123456-spi-results.csv");
  ASSERT_EQ(recs.size(), 36u);
  for (int y = 1950, j = 0; y <= 1952; ++y)
    for (int m = 1; m <= 12; ++m, ++j)
      ASSERT_EQ(recs[static_cast<std::size_t>(j)], result(y, m, all_periods(y, m)));
  EXPECT_EQ(recs[0].size(), 65u);
  EXPECT_EQ(recs[0].substr(0, 8), "1950, 1,");
  EXPECT_EQ(recs[35].substr(recs[35].size() - 2), ", ");
}

TEST(SpiResults, YearsAValueFileDoesNotSupplyAreMissing) {
  testing_support::TempDir t;
  write_file(name_of(1), value_file(1, 1952, 1953));  // starts two years late
  write_file(name_of(2), value_file(2, 1950, 1951));  // ends two years early
  // An unreadable record stands for its year only.
  write_file(name_of(3),
             value_file(3, 1950, 1950) + "000123 1951   x.xx\r\n" + value_file(3, 1952, 1953));
  write_file(name_of(4), value_file(4, 1947, 1953));  // starts before the span
  write_file(name_of(5), "");                         // empty; 6 is absent
  write_file(name_of(7), value_file(7, 1950, 1953));
  run(1950, 1953);
  const auto recs = read_records("123456-spi-results.csv");
  ASSERT_EQ(recs.size(), 48u);
  for (int y = 1950, j = 0; y <= 1953; ++y)
    for (int m = 1; m <= 12; ++m, ++j) {
      std::array<double, 7> v;
      v[0] = y >= 1952 ? value(1, y, m) : kMissing;
      v[1] = y <= 1951 ? value(2, y, m) : kMissing;
      v[2] = y != 1951 ? value(3, y, m) : kMissing;
      v[3] = value(4, y - 3, m);  // read in order from the first year on
      v[4] = v[5] = kMissing;
      v[6] = value(7, y, m);
      ASSERT_EQ(recs[static_cast<std::size_t>(j)], result(y, m, v)) << y << " " << m;
    }
  EXPECT_FALSE(std::filesystem::exists(name_of(6)));  // reading creates nothing
}

TEST(SpiResults, ReadingDetachesTheNumbersTenToSixteen) {
  testing_support::TempDir t;
  // The SPI run's parameter file of the first period is on number 11.
  records::write(11, records::Layout{"A"}, {"parameters"});
  records::write(17, records::Layout{"A"}, {"kept"});
  for (int i = 1; i <= 7; ++i) write_file(name_of(i), value_file(i, 1990, 1990));
  run(1990, 1990);
  for (int unit = 10; unit <= 16; ++unit) EXPECT_FALSE(records::is_attached(unit)) << unit;
  EXPECT_TRUE(records::is_attached(17));
  EXPECT_EQ(read_records("fort.11"), std::vector<std::string>{"parameters"});
  EXPECT_EQ(read_records("123456-spi-results.csv").size(), 12u);
}

}  // namespace
