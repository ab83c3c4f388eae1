#include "prep/spi_format_interp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "prep/table_record.h"
#include "records/fatal.h"
#include "support/tempdir.h"

using prep_testing::M;
using prep_testing::table_record;

namespace {

std::string monthly(int month, int year, const std::string& inches, int station = 10) {
  return std::to_string(station) + ",44.9,-93.2,120," + std::to_string(month) + "," +
         std::to_string(year) + "," + inches + "\r\n";
}

std::vector<std::string> table(const std::string& id, const prep::DataSpan& span) {
  prep::spi_format_interp(id, span);
  return testing_support::read_records(id + "-spi-interpolated.csv");
}

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
  for (int y = 1950; y <= 1951; ++y) {
    for (int m = 1; m <= 12; ++m)
      text += monthly(m, y, values[m - 1], y * 100 + m == 195112 ? 42 : 10);
  }
  testing_support::write_file("a_PRCP.csv", text);
  // The station is that of the last record read, December 1951, outside the span.
  EXPECT_EQ(
      table("a", {1950, 3, 1951, 10}),
      (std::vector{table_record(42, 1950, {M, M, 53, 0, 250, 117, 29, 57, 113, 7, 401, 10}),
                   table_record(42, 1951, {999, 999, 53, 0, 250, 117, 29, 57, 113, 7, M, M})}));
  // A span inside one year: the records before and after it take no place.
  EXPECT_EQ(table("a", {1951, 3, 1951, 10}),
            std::vector{table_record(42, 1951, {M, M, 53, 0, 250, 117, 29, 57, 113, 7, M, M})});
  // A missing February: March's value moves to February, and May, the last
  // month of the span, is left without a value.
  testing_support::write_file("b_PRCP.csv", monthly(12, 1949, "9.0") + monthly(1, 1950, "0.01") +
                                                monthly(3, 1950, "0.03") +
                                                monthly(4, 1950, "0.04") +
                                                monthly(5, 1950, "0.05") + monthly(6, 1950, "9.0"));
  EXPECT_EQ(table("b", {1950, 1, 1950, 5}),
            std::vector{table_record(10, 1950, {1, 3, 4, 5, M, M, M, M, M, M, M, M})});
}
