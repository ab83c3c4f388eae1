#include "prep/readit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/records.h"
#include "support/tempdir.h"

namespace {

using testing_support::read_file;
using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;

const std::string kHeader = "STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT,MONTH,YEAR,DAY01\r\n";

// One daily record: every day holds `day_value` except day 1, which holds `first`.
std::string daily(const std::string& element, int month, int year, int first = 5, int day_value = 0,
                  int station = 10) {
  std::string s = std::to_string(station) + ",44.9000,-93.2000,120," + element + "," +
                  std::to_string(month) + "," + std::to_string(year);
  for (int d = 1; d <= 31; ++d) s += "," + std::to_string(d == 1 ? first : day_value);
  return s + "\r\n";
}

// The expected fill record of a row whose day 1 is `first` and other days 0.00.
std::string copied(const std::string& prefix, const std::string& first) {
  std::string s = prefix + first;
  for (int d = 2; d <= 31; ++d) s += "    0.00,";
  return s;
}

std::string gap(const std::string& prefix) {
  std::string s = prefix;
  for (int d = 1; d <= 31; ++d) s += "  -99.90,";
  return s;
}

}  // namespace

TEST(FillFile, CoversTheSpanToDecemberWithGapRecords) {
  TempDir dir;
  std::string text = kHeader;
  for (int y = 1950; y <= 1952; ++y) {
    for (int m = 1; m <= 12 && !(y == 1952 && m > 3); ++m) {
      text += daily("PRCP", m, y, m == 2 ? -999 : 100 * m + 7);
      text += daily("TMAX", m, y, 40);
    }
  }
  write_file("000010.csv", text);

  const prep::DataSpan span = prep::readit("000010");
  EXPECT_EQ(span.first_year, 1950);
  EXPECT_EQ(span.first_month, 1);
  EXPECT_EQ(span.last_year, 1952);
  EXPECT_EQ(span.last_month, 3);

  const auto recs = read_records("000010-fill-prcp.csv");
  ASSERT_EQ(recs.size(), 36u);
  for (const auto& r : recs) EXPECT_EQ(r.size(), 299u);
  EXPECT_EQ(recs[0], copied("    10,PRCP,1950, 1,", "  107.00,"));
  EXPECT_EQ(recs[1], copied("    10,PRCP,1950, 2,", " -999.00,"));  // no value, copied as is
  EXPECT_EQ(recs[26], copied("    10,PRCP,1952, 3,", "  307.00,"));
  EXPECT_EQ(recs[27], gap("    10,PRCP,1952, 4,"));
  EXPECT_EQ(recs[35], gap("    10,PRCP,1952,12,"));
}

TEST(FillFile, MissingMonthBecomesOneGapRecord) {
  TempDir dir;
  write_file("st1   .csv", kHeader + daily("PRCP", 11, 1950, 1) + daily("PRCP", 1, 1951, 3) +
                               daily("PRCP", 2, 1951, 4, 0, 77));
  const prep::DataSpan span = prep::readit("st1   ");
  EXPECT_EQ(span.first_month, 11);

  const auto recs = read_records("st1   -fill-prcp.csv");
  ASSERT_EQ(recs.size(), 14u);  // November 1950 to December 1951
  EXPECT_EQ(recs[0], copied("    10,PRCP,1950,11,", "    1.00,"));
  EXPECT_EQ(recs[1], gap("    10,PRCP,1950,12,"));
  EXPECT_EQ(recs[2], copied("    10,PRCP,1951, 1,", "    3.00,"));
  EXPECT_EQ(recs[3], copied("    77,PRCP,1951, 2,", "    4.00,"));
  // Past the last row the gap records carry the last row's station.
  EXPECT_EQ(recs[4], gap("    77,PRCP,1951, 3,"));
}

TEST(FillFile, RowOutOfOrderStopsThePointer) {
  TempDir dir;
  write_file("000010.csv", kHeader + daily("PRCP", 1, 1950, 1) + daily("PRCP", 1, 1950, 2) +
                               daily("PRCP", 2, 1950, 3) + daily("PRCP", 3, 1950, 4));
  prep::readit("000010");
  const auto recs = read_records("000010-fill-prcp.csv");
  ASSERT_EQ(recs.size(), 12u);
  EXPECT_EQ(recs[0], copied("    10,PRCP,1950, 1,", "    1.00,"));
  for (std::size_t i = 1; i < 12; ++i) EXPECT_EQ(recs[i].substr(20, 9), "  -99.90,") << i;
}

TEST(FillFile, SpanEndsAtTheLastRecordWhateverItsElement) {
  TempDir dir;
  write_file("000010.csv", kHeader + daily("PRCP", 1, 1950) + daily("SNOW", 1, 1950) +
                               daily("XXXX", 5, 1950) + daily("TMAX", 3, 1951, 40));
  const prep::DataSpan span = prep::readit("000010");
  EXPECT_EQ(span.last_year, 1951);
  EXPECT_EQ(span.last_month, 3);
  const auto recs = read_records("000010-fill-prcp.csv");
  ASSERT_EQ(recs.size(), 24u);
  EXPECT_EQ(recs[14], gap("    10,PRCP,1951, 3,"));
}

TEST(FillFile, NoPrecipitationRecordGivesGapsWithTheFirstStation) {
  TempDir dir;
  write_file("000010.csv",
             kHeader + daily("TMAX", 10, 1950, 30, 30, 123) + daily("TMIN", 2, 1951, 30, 30, 456));
  prep::readit("000010");
  const auto recs = read_records("000010-fill-prcp.csv");
  ASSERT_EQ(recs.size(), 15u);
  EXPECT_EQ(recs[0], gap("   123,PRCP,1950,10,"));
  EXPECT_EQ(recs[14], gap("   123,PRCP,1951,12,"));
}

TEST(DailyReading, StopsAtABadRecordKeepingItsYearAndMonth) {
  TempDir dir;
  std::string bad = daily("PRCP", 6, 1950);
  bad.replace(bad.rfind(",0"), 2, ",x");  // a bad value in day 31
  write_file("000010.csv", kHeader + daily("PRCP", 1, 1950) + bad + daily("PRCP", 1, 1960));
  const prep::DataSpan span = prep::readit("000010");
  EXPECT_EQ(span.last_year, 1950);
  EXPECT_EQ(span.last_month, 6);
  const auto recs = read_records("000010-fill-prcp.csv");
  ASSERT_EQ(recs.size(), 12u);
  EXPECT_EQ(recs[5], gap("    10,PRCP,1950, 6,"));  // the bad row was not taken
}

TEST(DailyReading, IgnoresRecordsBeyondTenThousand) {
  TempDir dir;
  // Five elements per month from January 1800: record 10000 is the TMIN of
  // August 1966; the PRCP of September 1966 after it is never read.
  const char* elements[] = {"PRCP", "SNOW", "SNWD", "TMAX", "TMIN"};
  std::string text = kHeader;
  for (int i = 0; i < 2001; ++i) {
    for (const char* e : elements) text += daily(e, i % 12 + 1, 1800 + i / 12);
  }
  write_file("000010.csv", text);
  const prep::DataSpan span = prep::readit("000010");
  EXPECT_EQ(span.last_year, 1966);
  EXPECT_EQ(span.last_month, 8);
  const auto recs = read_records("000010-fill-prcp.csv");
  ASSERT_EQ(recs.size(), 167u * 12u);
  EXPECT_EQ(recs[recs.size() - 5], copied("    10,PRCP,1966, 8,", "    5.00,"));
  EXPECT_EQ(recs[recs.size() - 4], gap("    10,PRCP,1966, 9,"));
}

TEST(DailyReading, FailuresEndTheProgram) {
  TempDir dir;
  // A missing file, a header alone, an unreadable first record.
  EXPECT_THROW(prep::readit("000010"), records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("000010.csv"));
  write_file("000011.csv", kHeader);
  EXPECT_THROW(prep::readit("000011"), records::FatalError);
  write_file("000012.csv", kHeader + "10,44.9,-93.2,120,PRCP,x,1950\r\n");
  EXPECT_THROW(prep::readit("000012"), records::FatalError);
}

TEST(DailyReading, RefusesASpanLongerThanFiveThousandMonths) {
  TempDir dir;
  // 1950-01 to December 2366 is 5004 months; 2365 gives 4992 and is accepted.
  write_file("000010.csv", kHeader + daily("PRCP", 1, 1950) + daily("TMAX", 1, 2365));
  prep::readit("000010");
  EXPECT_EQ(read_records("000010-fill-prcp.csv").size(), 4992u);

  write_file("000011.csv", kHeader + daily("PRCP", 1, 1950) + daily("TMAX", 1, 2366));
  EXPECT_THROW(prep::readit("000011"), records::FatalError);
  write_file("000012.csv", kHeader + daily("PRCP", 1, -2000000000) + daily("TMAX", 1, 2000000000));
  EXPECT_THROW(prep::readit("000012"), records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("000011-fill-prcp.csv"));
  EXPECT_FALSE(std::filesystem::exists("000012-fill-prcp.csv"));
}
