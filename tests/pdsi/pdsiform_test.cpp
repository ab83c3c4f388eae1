#include "pdsi/pdsiform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "pdsi/pdi_vers1.h"
#include "records/fatal.h"
#include "support/tempdir.h"

using testing_support::read_records;
using testing_support::write_file;

namespace {

// A daily record holding the given days, then `rest` up to day 31.
std::string daily(const std::string& element, int month, int year, std::vector<int> days,
                  int rest = 0) {
  days.resize(31, rest);
  std::string s =
      "100111,40.0,-93.2,120," + element + "," + std::to_string(month) + "," + std::to_string(year);
  for (int v : days) s += "," + std::to_string(v);
  return s + "\n";
}

// The three elements of one month, in the file's usual order; precipitation
// on day 1 only.
std::string month(int m, int year, int prcp = 10, int tmin = 32, int tmax = 50) {
  return daily("PRCP", m, year, {prcp}) + daily("TMIN", m, year, {}, tmin) +
         daily("TMAX", m, year, {}, tmax);
}

// Every month from (from_year, from_month) to (to_year, to_month).
std::string months(int from_year, int from_month, int to_year, int to_month) {
  std::string text;
  for (int i = from_year * 12 + from_month - 1; i <= to_year * 12 + to_month - 1; ++i) {
    text += month(i % 12 + 1, i / 12);
  }
  return text;
}

// The series of a daily file with the data records `text` has `rows` rows,
// among them the given ones.
void expect_series(const std::string& text, std::size_t rows,
                   const std::vector<std::pair<std::size_t, std::string>>& expected) {
  write_file("100111.csv", "STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT,MONTH,YEAR\n" + text);
  pdsi::pdsiform("100111");
  const std::vector<std::string> recs = read_records("100111-pdsiformat.csv");
  ASSERT_EQ(recs.size(), rows);
  for (const auto& [i, rec] : expected) EXPECT_EQ(recs[i], rec) << "row " << i;
}

}  // namespace

TEST(PdsiformSeries, ConvertsUnitsOnTheCalendar) {
  testing_support::TempDir dir;
  // 225 hundredths are 57.149999... mm in single precision.
  expect_series(daily("PRCP", 1, 1951, {100, 50, 225, -999, 1}) +
                    daily("TMIN", 1, 1951, {32, 50, 100, -999, -40}) +
                    daily("TMAX", 1, 1951, {-999, 0, 212, 33, 31}),
                31,
                {{0, "1951,  1,    0.0, 9999.0,    0.0,   25.4"},
                 {1, "1951,  2,   10.0,  -17.8,    0.0,   12.7"},
                 {2, "1951,  3,   37.8,  100.0,    0.0,   57.1"},
                 {3, "1951,  4, 9999.0,    0.6,    0.0, 9999.0"},
                 {4, "1951,  5,  -40.0,   -0.6,    0.0,    0.3"}});
  // 5/9 is the 4-byte 0.5555556: 212 F, 180 x 0.5555556f = 100.0000048, is one
  // step above 100 C.
  std::vector<float> t{212.0f};
  pdsi::convert(t, {}, {});
  EXPECT_EQ(t[0], std::nextafter(100.0f, 101.0f));
  // Every year divisible by 4 is a leap year, 1900 too.
  expect_series(months(1900, 1, 1900, 12), 366,
                {{59, "1900, 60,    0.0,   10.0,    0.0,    0.0"},
                 {60, "1900, 61,    0.0,   10.0,    0.0,    2.5"},
                 {365, "1900,366,    0.0,   10.0,    0.0,    0.0"}});
}

TEST(PdsiformSeries, StopsAtADecimalPointOrFiftyThousandDays) {
  testing_support::TempDir dir;
  expect_series(months(1951, 1, 1951, 2) + "100111,40.0,-93.2,120,PRCP,3,1951,1.5" +
                    std::string(60, ' ') + "\n" + month(3, 1951),
                59, {});
  // 140 years from 1800 (34 leap years before 1936): the 50000th day is day
  // 326 of 1936.
  expect_series(months(1800, 1, 1939, 12), 50000,
                {{49999, "1936,326,    0.0,   10.0,    0.0,    0.0"}});
}

// Every calendar month keeps its place: a month without a record of an element
// has 9999.0 for that element on each of its days, and the months after it
// take their own records.
TEST(PdsiformCalendar, AMonthWithoutPrecipitationKeepsItsPlace) {
  testing_support::TempDir dir;
  // May 1951 has temperatures but no precipitation record.
  expect_series(months(1951, 1, 1951, 4) + daily("TMIN", 5, 1951, {}, 32) +
                    daily("TMAX", 5, 1951, {}, 50) + months(1951, 6, 1951, 12),
                365,
                {{120, "1951,121,    0.0,   10.0,    0.0, 9999.0"},
                 {150, "1951,151,    0.0,   10.0,    0.0, 9999.0"},
                 {151, "1951,152,    0.0,   10.0,    0.0,    2.5"},
                 {364, "1951,365,    0.0,   10.0,    0.0,    0.0"}});
  // A year without its January precipitation record still begins on 1 January.
  expect_series(
      months(1951, 1, 1951, 12) + daily("TMAX", 1, 1952, {}, 50) + months(1952, 2, 1952, 12), 731,
      {{365, "1952,  1, 9999.0,   10.0,    0.0, 9999.0"},
       {396, "1952, 32,    0.0,   10.0,    0.0,    2.5"},
       {730, "1952,366,    0.0,   10.0,    0.0,    0.0"}});
}

TEST(PdsiformCalendar, RepeatedAndOutOfOrderRecordsArePassedOver) {
  testing_support::TempDir dir;
  // A second TMAX record for March (100 F) and a late PRCP record for March
  // are passed over; April's temperatures and the rest of the year are kept.
  expect_series(months(1951, 1, 1951, 3) + daily("TMAX", 3, 1951, {}, 100) + month(4, 1951) +
                    daily("PRCP", 3, 1951, {500}) + months(1951, 5, 1951, 12),
                365,
                {{59, "1951, 60,    0.0,   10.0,    0.0,    2.5"},
                 {90, "1951, 91,    0.0,   10.0,    0.0,    2.5"},
                 {364, "1951,365,    0.0,   10.0,    0.0,    0.0"}});
}

// A precipitation record whose days are all -999 gives a month without any
// precipitation value: the Palmer index writes it as missing and goes on.
TEST(PdsiformCalendar, AMonthOfMissingDaysIsAMissingMonth) {
  testing_support::TempDir dir;
  std::string text = months(1951, 1, 1951, 6) + daily("PRCP", 7, 1951, {}, -999) +
                     daily("TMIN", 7, 1951, {}, 60) + daily("TMAX", 7, 1951, {}, 80) +
                     months(1951, 8, 1952, 12);
  expect_series(text, 731, {{181, "1951,182,   15.6,   26.7,    0.0, 9999.0"}});
  pdsi::pdi_vers1("100111", false);
  const std::vector<std::string> index = read_records("100111-pdsi.csv");
  ASSERT_EQ(index.size(), 25u);
  EXPECT_EQ(index[7], "1951, 7,  -99.00,  -99.00,");
  EXPECT_EQ(index[24].substr(0, 8), "1952,12,");
}
