#include "prep/spi_format_interp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "records/records.h"
#include "support/tempdir.h"

using testing_support::read_records;
using testing_support::write_file;

namespace {

std::string monthly(int month, int year, const std::string& inches, int station = 10) {
  return std::to_string(station) + ",44.9,-93.2,120," + std::to_string(month) + "," +
         std::to_string(year) + "," + inches + "\r\n";
}

std::string table_record(int station, int year, const std::vector<int>& totals) {
  char field[16];
  std::string s = (std::snprintf(field, sizeof field, "%6d,%4d,", station, year), field);
  for (int t : totals) s += (std::snprintf(field, sizeof field, "%7d,", t), field);
  return s;
}
constexpr int M = -9999;

}  // namespace

TEST(InterpolatedTable, CutsTheSeriesToTheSpanInHundredths) {
  testing_support::TempDir dir;
  // 0.53 and 1.17 inches times 100, as 4-byte reals, are stored just below 53
  // and 117 (python3: f = lambda x: struct.unpack('f', struct.pack('f', x))[0];
  // f(f(0.53) * 100) == 52.999996, f(f(1.17) * 100) == 116.99999); the added
  // 0.1 lifts them over.
  const char* values[12] = {"9.99", "9.99", "0.53", "0.0",  "2.5",  "1.17",
                            "0.29", "0.57", "1.13", "0.07", "4.01", "0.1"};
  std::string text;
  for (int y = 1950; y <= 1952; ++y) {
    for (int m = 1; m <= 12; ++m) text += monthly(m, y, values[m - 1], y == 1952 ? 42 : 10);
  }
  write_file("a_PRCP.csv", text);
  prep::spi_format_interp("a", prep::DataSpan{1950, 3, 1952, 10});
  // The station is that of the last record read, December 1952.
  EXPECT_EQ(read_records("a-spi-interpolated.csv"),
            (std::vector<std::string>{
                table_record(42, 1950, {M, M, 53, 0, 250, 117, 29, 57, 113, 7, 401, 10}),
                table_record(42, 1951, {999, 999, 53, 0, 250, 117, 29, 57, 113, 7, 401, 10}),
                table_record(42, 1952, {999, 999, 53, 0, 250, 117, 29, 57, 113, 7, M, M})}));

  // A span inside one year takes that year's March to October only.
  prep::spi_format_interp("a", prep::DataSpan{1951, 3, 1951, 10});
  EXPECT_EQ(read_records("a-spi-interpolated.csv"),
            std::vector<std::string>{
                table_record(42, 1951, {M, M, 53, 0, 250, 117, 29, 57, 113, 7, M, M})});
}

TEST(InterpolatedTable, ValuesAreTakenInFileOrder) {
  testing_support::TempDir dir;
  // February is missing: March's value moves to February, and May, the last
  // month of the span, is left without a value. Records outside the span
  // take no place.
  write_file("a_PRCP.csv", monthly(12, 1949, "9.0") + monthly(1, 1950, "0.01") +
                               monthly(3, 1950, "0.03") + monthly(4, 1950, "0.04") +
                               monthly(5, 1950, "0.05") + monthly(6, 1950, "9.0"));
  prep::spi_format_interp("a", prep::DataSpan{1950, 1, 1950, 5});
  EXPECT_EQ(read_records("a-spi-interpolated.csv"),
            std::vector<std::string>{table_record(10, 1950, {1, 3, 4, 5, M, M, M, M, M, M, M, M})});
}

TEST(InterpolatedTable, NoValuesGiveMissingMonthsAndStationZero) {
  testing_support::TempDir dir;
  const std::vector<std::string> expected{table_record(0, 1950, std::vector<int>(12, M)),
                                          table_record(0, 1951, std::vector<int>(12, M))};
  prep::spi_format_interp("a", prep::DataSpan{1950, 1, 1951, 12});  // no input file
  EXPECT_EQ(read_records("a-spi-interpolated.csv"), expected);
  EXPECT_FALSE(std::filesystem::exists("a_PRCP.csv"));
  // A header line stops the reading at once.
  write_file("b_PRCP.csv", "STATION,LAT,LON,ELEV,MONTH,YEAR,PRCP\r\n" + monthly(1, 1950, "1.0"));
  prep::spi_format_interp("b", prep::DataSpan{1950, 1, 1951, 12});
  EXPECT_EQ(read_records("b-spi-interpolated.csv"), expected);

  EXPECT_THROW(prep::spi_format_interp("c", prep::DataSpan{1, 1, 2000000000, 12}),
               records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("c-spi-interpolated.csv"));
  // A first month past December still writes a record for every year: 1949
  // to 2366 is refused as the walk from January 1950 is.
  EXPECT_THROW(prep::spi_format_interp("d", prep::DataSpan{1949, 20, 2366, 12}),
               records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("d-spi-interpolated.csv"));
}
