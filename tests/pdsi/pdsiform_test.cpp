#include "pdsi/pdsiform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/records.h"
#include "support/tempdir.h"

using testing_support::read_records;
using testing_support::write_file;

namespace {

const std::string kHeader = "STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT,MONTH,YEAR,DAY01\n";

// A daily record: day 1 holds `first`, days 2 to 31 hold `rest`.
std::string daily(const std::string& element, int month, int year, int first, int rest = 0) {
  std::string s = "100111,40.0,-93.2,120," + element + "," + std::to_string(month) + "," +
                  std::to_string(year) + "," + std::to_string(first);
  for (int d = 2; d <= 31; ++d) s += "," + std::to_string(rest);
  return s + "\n";
}

// The three elements of one month, in the file's usual order.
std::string month(int m, int year, int prcp = 10, int tmin = 32, int tmax = 50) {
  return daily("PRCP", m, year, prcp) + daily("TMIN", m, year, tmin, tmin) +
         daily("TMAX", m, year, tmax, tmax);
}

std::vector<std::string> run(const std::string& text) {
  write_file("100111.csv", text);
  pdsi::pdsiform("100111");
  return read_records("100111-pdsiformat.csv");
}

}  // namespace

TEST(PdsiformAlignment, ElementsStartingTogetherInJanuaryStartOnDayOne) {
  testing_support::TempDir dir;
  std::string text = kHeader;
  for (int m = 1; m <= 2; ++m) text += month(m, 1951);
  const auto recs = run(text);
  ASSERT_EQ(recs.size(), 59u);
  EXPECT_EQ(recs[0], "1951,  1,    0.0,   10.0,    0.0,    2.5");
  EXPECT_EQ(recs[1], "1951,  2,    0.0,   10.0,    0.0,    0.0");
  EXPECT_EQ(recs[58], "1951, 59,    0.0,   10.0,    0.0,    0.0");
}

TEST(PdsiformAlignment, LateStartingElementMovesEveryElementToTheNextJanuary) {
  testing_support::TempDir dir;
  // TMAX begins in March 1950, the others in January 1950.
  std::string text = kHeader;
  for (int i = 0; i < 14; ++i) {
    const int m = i % 12 + 1, y = 1950 + i / 12;
    text += daily("PRCP", m, y, 100 + i) + daily("TMIN", m, y, 32);
    if (i >= 2) text += daily("TMAX", m, y, 50);
  }
  const auto recs = run(text);
  ASSERT_EQ(recs.size(), 59u);                                      // January and February 1951
  EXPECT_EQ(recs[0], "1951,  1,    0.0,   10.0,    0.0,   28.4");   // 112 hundredths
  EXPECT_EQ(recs[31], "1951, 32,    0.0,   10.0,    0.0,   28.7");  // 113 hundredths
}

TEST(PdsiformAlignment, MissingElementOrJanuaryEmptiesAnEarlierSeries) {
  testing_support::TempDir dir;
  std::string no_tmin = kHeader + daily("PRCP", 1, 1951, 0) + daily("TMAX", 1, 1951, 0);
  // Every element starts in March and no January follows.
  std::string no_january = kHeader;
  for (int m = 3; m <= 12; ++m) no_january += month(m, 1951);
  // The start year has no TMIN record (TMIN jumps from 1950 to 1952).
  std::string no_start_year = kHeader + daily("TMIN", 1, 1950, 0) + daily("PRCP", 1, 1951, 0) +
                              daily("TMAX", 1, 1951, 0) + daily("TMIN", 1, 1952, 0);
  for (const std::string& text : {no_tmin, no_january, no_start_year, kHeader}) {
    write_file("100111-pdsiformat.csv", "1950,  1,    0.0,    0.0,    0.0,    0.0\r\n");
    EXPECT_TRUE(run(text).empty());
    EXPECT_TRUE(std::filesystem::exists("100111-pdsiformat.csv"));
  }
}

TEST(PdsiformWalk, MonthWithoutPrecipitationGivesNoRows) {
  testing_support::TempDir dir;
  // February has temperatures but no PRCP record: its TMIN and TMAX records
  // never match again, so every later temperature is missing.
  std::string text = kHeader + month(1, 1951) + daily("TMIN", 2, 1951, 40, 40) +
                     daily("TMAX", 2, 1951, 60, 60) + month(3, 1951);
  const auto recs = run(text);
  ASSERT_EQ(recs.size(), 62u);
  EXPECT_EQ(recs[30], "1951, 31,    0.0,   10.0,    0.0,    0.0");
  EXPECT_EQ(recs[31], "1951, 60, 9999.0, 9999.0,    0.0,    2.5");
  EXPECT_EQ(recs[61], "1951, 90, 9999.0, 9999.0,    0.0,    0.0");
}

TEST(PdsiformWalk, MonthWithoutMinimumTemperatureIsMissingThere) {
  testing_support::TempDir dir;
  std::string text = kHeader + month(1, 1951) + daily("PRCP", 2, 1951, 0) +
                     daily("TMAX", 2, 1951, 100, 100) + month(3, 1951, 10, 23, 41);
  const auto recs = run(text);
  ASSERT_EQ(recs.size(), 90u);
  EXPECT_EQ(recs[31], "1951, 32, 9999.0,   37.8,    0.0,    0.0");
  EXPECT_EQ(recs[58], "1951, 59, 9999.0,   37.8,    0.0,    0.0");
  EXPECT_EQ(recs[59], "1951, 60,   -5.0,    5.0,    0.0,    2.5");
}

TEST(PdsiformWalk, PrecipitationMonthOutsideTheCalendarGivesNoRows) {
  testing_support::TempDir dir;
  std::string text = kHeader + month(1, 1951) + daily("PRCP", 13, 1951, 0) +
                     daily("TMIN", 13, 1951, 0) + daily("PRCP", 0, 1951, 0) + month(2, 1951);
  const auto recs = run(text);
  ASSERT_EQ(recs.size(), 59u);
  // The TMIN record of month 13 never matches: February's TMIN is behind it.
  EXPECT_EQ(recs[31], "1951, 32, 9999.0,   10.0,    0.0,    2.5");
}

TEST(PdsiformWalk, EveryYearDivisibleByFourIsALeapYear) {
  testing_support::TempDir dir;
  std::string text = kHeader;
  for (int m = 1; m <= 12; ++m) text += month(m, 1900);
  const auto recs = run(text);
  ASSERT_EQ(recs.size(), 366u);
  EXPECT_EQ(recs[59].substr(0, 8), "1900, 60");  // 29 February
  EXPECT_EQ(recs[60].substr(0, 8), "1900, 61");  // 1 March
  EXPECT_EQ(recs[365].substr(0, 8), "1900,366");

  const pdsi::MonthTables leap = pdsi::jday(1900), common = pdsi::jday(1901);
  EXPECT_EQ(leap.length[1], 29);
  EXPECT_EQ(common.length[1], 28);
  EXPECT_EQ(leap.first[2], 61);
  EXPECT_EQ(common.first[11], 335);
  EXPECT_EQ(leap.first[11], 336);
}

TEST(PdsiformUnits, ConvertsToMillimetresAndCelsius) {
  testing_support::TempDir dir;
  // Day 1 as given, days 2 to 5 from the list below, the rest 0.
  auto rec = [](const std::string& el, std::vector<int> days) {
    std::string s = "100111,40.0,-93.2,120," + el + ",1,1951";
    days.resize(31, 0);
    for (int v : days) s += "," + std::to_string(v);
    return s + "\n";
  };
  std::string text = kHeader + rec("PRCP", {100, 50, 225, -999, 1}) +
                     rec("TMIN", {32, 50, 100, -999, -40}) + rec("TMAX", {-999, 0, 212, 33, 31});
  const auto recs = run(text);
  ASSERT_EQ(recs.size(), 31u);
  // 225 x 25.4f / 100 = 57.149999... mm: 57.1.
  EXPECT_EQ(recs[0], "1951,  1,    0.0, 9999.0,    0.0,   25.4");
  EXPECT_EQ(recs[1], "1951,  2,   10.0,  -17.8,    0.0,   12.7");
  EXPECT_EQ(recs[2], "1951,  3,   37.8,  100.0,    0.0,   57.1");
  EXPECT_EQ(recs[3], "1951,  4, 9999.0,    0.6,    0.0, 9999.0");
  EXPECT_EQ(recs[4], "1951,  5,  -40.0,   -0.6,    0.0,    0.3");

  // The conversion rounds once from the exact double product.
  std::vector<float> t{98.6f, pdsi::kMissingDaily}, p{225.0f, 1.0f};
  pdsi::convert(t, {}, p);
  EXPECT_EQ(t[0], 37.0f);  // (98.6f - 32) x 0.5555556f rounds to 37 exactly
  EXPECT_EQ(t[1], pdsi::kMissingDaily);
  EXPECT_EQ(p[0], 57.149998f);
  EXPECT_EQ(p[1], 0.254f);
}

TEST(PdsiformReading, ValueWithDecimalPointEndsTheReading) {
  testing_support::TempDir dir;
  std::string text = kHeader + month(1, 1951) + month(2, 1951);
  text += "100111,40.0,-93.2,120,PRCP,3,1951,1.5" + std::string(30 * 2, ' ') + "\n";
  text += month(3, 1951) + month(4, 1951);
  const auto recs = run(text);
  ASSERT_EQ(recs.size(), 59u);  // January and February only
}

TEST(PdsiformReading, MissingDailyFileIsFatal) {
  testing_support::TempDir dir;
  EXPECT_THROW(pdsi::pdsiform("100111"), records::FatalError);
}

TEST(PdsiformCapacity, SeriesStopsAtFiftyThousandDays) {
  testing_support::TempDir dir;
  std::string text = kHeader;
  for (int y = 1800; y < 1940; ++y) {  // 140 years, 51135 days
    for (int m = 1; m <= 12; ++m) text += month(m, y);
  }
  const auto recs = run(text);
  ASSERT_EQ(recs.size(), 50000u);
  // 50000 days from 1 January 1800 end on 23 November 1936 (day 328).
  EXPECT_EQ(recs.back().substr(0, 8), "1936,326");
}
