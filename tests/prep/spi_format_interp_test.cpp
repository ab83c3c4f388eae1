#include "prep/spi_format_interp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "records/records.h"
#include "support/tempdir.h"

namespace {

using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;

std::string monthly(int month, int year, const std::string& inches, int station = 10) {
  return std::to_string(station) + ",44.9000,-93.2000,120," + std::to_string(month) + "," +
         std::to_string(year) + "," + inches + "\r\n";
}

std::string year_record(int station, int year, const std::vector<int>& totals) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%6d,%4d,", station, year);
  std::string s = prefix;
  for (int t : totals) {
    char field[16];
    std::snprintf(field, sizeof field, "%7d,", t);
    s += field;
  }
  return s;
}

constexpr int M = -9999;

}  // namespace

TEST(InterpolatedTable, CutsTheSeriesToTheSpanAndConvertsToHundredths) {
  TempDir dir;
  // 0.53 inches stored as a 4-byte real times 100 is 52.999996 (python3:
  // struct.unpack('f', struct.pack('f', struct.unpack('f', struct.pack('f', 0.53))[0] * 100))),
  // which truncates to 52 without the added 0.1.
  const char* values[12] = {"9.99", "9.99", "0.53", "0.0",  "2.5",  "1.17",
                            "0.29", "0.57", "1.13", "0.07", "4.01", "0.1"};
  std::string text;
  for (int y = 1950; y <= 1952; ++y) {
    for (int m = 1; m <= 12; ++m) text += monthly(m, y, values[m - 1], y == 1952 ? 42 : 10);
  }
  write_file("000010_PRCP.csv", text);

  prep::spi_format_interp("000010", prep::DataSpan{1950, 3, 1952, 10});
  const auto table = read_records("000010-spi-interpolated.csv");
  ASSERT_EQ(table.size(), 3u);
  for (const auto& r : table) EXPECT_EQ(r.size(), 108u);
  // The station is that of the last record read (December 1952, outside the span).
  EXPECT_EQ(table[0], year_record(42, 1950, {M, M, 53, 0, 250, 117, 29, 57, 113, 7, 401, 10}));
  EXPECT_EQ(table[1], year_record(42, 1951, {999, 999, 53, 0, 250, 117, 29, 57, 113, 7, 401, 10}));
  EXPECT_EQ(table[2], year_record(42, 1952, {999, 999, 53, 0, 250, 117, 29, 57, 113, 7, M, M}));
}

TEST(InterpolatedTable, SpanInsideOneYearTakesOnlyItsMonths) {
  TempDir dir;
  std::string text;
  for (int y = 1949; y <= 1951; ++y) {
    for (int m = 1; m <= 12; ++m)
      text += monthly(m, y, std::to_string(y - 1949) + ".0" + std::to_string(m % 10));
  }
  write_file("000010_PRCP.csv", text);
  prep::spi_format_interp("000010", prep::DataSpan{1950, 3, 1950, 10});
  EXPECT_EQ(read_records("000010-spi-interpolated.csv"),
            std::vector<std::string>{
                year_record(10, 1950, {M, M, 103, 104, 105, 106, 107, 108, 109, 100, M, M})});
}

TEST(InterpolatedTable, ValuesAreTakenInFileOrder) {
  TempDir dir;
  // February is missing from the input: March's value moves to February and
  // the last month of the span is left without a value.
  write_file("000010_PRCP.csv", monthly(1, 1950, "0.01") + monthly(3, 1950, "0.03") +
                                    monthly(4, 1950, "0.04") + monthly(5, 1950, "0.05"));
  prep::spi_format_interp("000010", prep::DataSpan{1950, 1, 1950, 5});
  EXPECT_EQ(read_records("000010-spi-interpolated.csv"),
            std::vector<std::string>{year_record(10, 1950, {1, 3, 4, 5, M, M, M, M, M, M, M, M})});
}

TEST(InterpolatedTable, NoValuesGiveMissingMonthsAndStationZero) {
  TempDir dir;
  const std::vector<std::string> expected{year_record(0, 1950, std::vector<int>(12, M)),
                                          year_record(0, 1951, std::vector<int>(12, M))};
  // No input file at all; then a file that stops at its header line.
  prep::spi_format_interp("000010", prep::DataSpan{1950, 1, 1951, 12});
  EXPECT_EQ(read_records("000010-spi-interpolated.csv"), expected);
  EXPECT_FALSE(std::filesystem::exists("000010_PRCP.csv"));

  write_file("000011_PRCP.csv",
             "STATION,LAT,LON,ELEV,MONTH,YEAR,PRCP\r\n" + monthly(1, 1950, "1.0"));
  prep::spi_format_interp("000011", prep::DataSpan{1950, 1, 1951, 12});
  EXPECT_EQ(read_records("000011-spi-interpolated.csv"), expected);
}

TEST(InterpolatedTable, RefusesAnEndlessSpan) {
  TempDir dir;
  EXPECT_THROW(prep::spi_format_interp("000010", prep::DataSpan{1, 1, 2000000000, 12}),
               records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("000010-spi-interpolated.csv"));
}
