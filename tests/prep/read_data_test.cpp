#include "prep/read_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "records/files.h"
#include "records/output.h"
#include "records/text.h"
#include "support/tempdir.h"

namespace {

using testing_support::read_records;
using testing_support::write_file;

// An SPI value distinct for each period, year and month: year digit, period
// tenth, negative in even months.
double value(int period, int year, int month) {
  const double v = year % 10 + 0.1 * period;
  return month % 2 == 0 ? -v : v;
}

// The value file of a period from year y0 to y1: station I6.6, year I5 and
// 12 F7.2 a record; the record of year `bad` cannot be read.
void write_values(int period, int y0, int y1, int bad = 0) {
  std::string text;
  char field[16];
  for (int y = y0; y <= y1; ++y) {
    if (y == bad) {
      text += "000123 1951   x.xx\r\n";
      continue;
    }
    text += (std::snprintf(field, sizeof field, "%06d%5d", 123, y), field);
    for (int m = 1; m <= 12; ++m) {
      text += (std::snprintf(field, sizeof field, "%7.2f", value(period, y, m)), field);
    }
    text += "\r\n";
  }
  write_file("fort." + std::to_string(10 * period + 2), text);
}

std::vector<std::string> results(int first_year, int last_year) {
  prep::read_data(records::file_arg("123456", "-spi-results.csv"), first_year, last_year);
  return read_records("123456-spi-results.csv");
}

TEST(SpiResults, EachPeriodTakesTheYearsItsFileSupplies) {
  testing_support::TempDir t;
  write_values(1, 1952, 1953);        // starts two years late
  write_values(2, 1950, 1951);        // ends a year early
  write_values(3, 1950, 1952, 1951);  // a bad record: its year only
  write_values(4, 1947, 1953);        // starts before the span
  write_file("fort.52", "");          // empty; fort.62 absent
  write_values(7, 1950, 1952);
  const auto recs = results(1950, 1952);
  ASSERT_EQ(recs.size(), 36u);
  EXPECT_EQ(recs[0].size(), 65u);
  for (int y = 1950, j = 0; y <= 1952; ++y) {
    for (int m = 1; m <= 12; ++m, ++j) {
      // The year of each period's value, 0 when missing: period 4 is read in
      // order from the first year on.
      const int from[7] = {y >= 1952 ? y : 0, y <= 1951 ? y : 0, y != 1951 ? y : 0, y - 3, 0, 0, y};
      char field[16];
      std::string expected = (std::snprintf(field, sizeof field, "%4d,%2d,", y, m), field);
      for (int p = 1; p <= 7; ++p) {
        const int year = from[p - 1];
        std::snprintf(field, sizeof field, "%7.2f,", year ? value(p, year, m) : -99.0);
        expected += field;
      }
      ASSERT_EQ(recs[static_cast<std::size_t>(j)], expected + " ") << y << " " << m;
    }
  }
  EXPECT_FALSE(std::filesystem::exists("fort.62"));  // reading creates nothing
}

TEST(SpiResults, ReadingDetachesTheNumbersTenToSixteen) {
  testing_support::TempDir t;
  // The SPI run's parameter file of the first period is on number 11.
  records::write(11, records::Layout{"A"}, {"parameters"});
  records::write(17, records::Layout{"A"}, {"kept"});
  for (int i = 1; i <= 7; ++i) write_values(i, 1990, 1990);
  EXPECT_EQ(results(1990, 1990).size(), 12u);
  for (int unit = 10; unit <= 16; ++unit) EXPECT_EQ(records::attached_name(unit), "") << unit;
  EXPECT_NE(records::attached_name(17), "");
  EXPECT_EQ(read_records("fort.11"), std::vector<std::string>{"parameters"});
}

}  // namespace
