#include "prep/readit.h"

#include <gtest/gtest.h>

#include <string>

#include "records/records.h"
#include "support/tempdir.h"

using testing_support::read_records;
using testing_support::write_file;

namespace {

const std::string kHeader = "STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT,MONTH,YEAR,DAY01\r\n";

// A daily record whose day 1 holds `first` and days 2 to 31 hold 0.
std::string daily(const std::string& element, int month, int year, int first = 5,
                  int station = 10) {
  std::string s = std::to_string(station) + ",44.9,-93.2,120," + element + "," +
                  std::to_string(month) + "," + std::to_string(year) + "," + std::to_string(first);
  for (int d = 2; d <= 31; ++d) s += ",0";
  return s + "\r\n";
}

// Expected fill records: a copied row (day 1 given, the rest 0.00), a gap row.
std::string row(const std::string& prefix, const std::string& first) {
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

TEST(FillFile, RunsFromTheFirstMonthToDecemberOfTheLastYear) {
  testing_support::TempDir dir;
  std::string text = kHeader;
  for (int i = 0; i < 27; ++i) {  // January 1950 to March 1952, with a TMAX per month
    text += daily("PRCP", i % 12 + 1, 1950 + i / 12, i == 1 ? -999 : 100 + i);
    text += daily("TMAX", i % 12 + 1, 1950 + i / 12, 40);
  }
  write_file("000010.csv", text);
  const prep::DataSpan span = prep::readit("000010");
  EXPECT_EQ(span.first_year * 100 + span.first_month, 195001);
  EXPECT_EQ(span.last_year * 100 + span.last_month, 195203);

  const auto recs = read_records("000010-fill-prcp.csv");
  ASSERT_EQ(recs.size(), 36u);  // 27 copied rows, 9 gap records
  for (const auto& r : recs) EXPECT_EQ(r.size(), 299u);
  EXPECT_EQ(recs[0], row("    10,PRCP,1950, 1,", "  100.00,"));
  EXPECT_EQ(recs[1], row("    10,PRCP,1950, 2,", " -999.00,"));
  EXPECT_EQ(recs[26], row("    10,PRCP,1952, 3,", "  126.00,"));
  EXPECT_EQ(recs[27], gap("    10,PRCP,1952, 4,"));
  EXPECT_EQ(recs[35], gap("    10,PRCP,1952,12,"));
}

TEST(FillFile, RowsAreMatchedToTheirMonthsUntilOneIsOutOfOrder) {
  testing_support::TempDir dir;
  // A missing December: one gap record (station of the row at the pointer),
  // later rows still matched; past the last row, gaps take its station.
  write_file("a.csv", kHeader + daily("PRCP", 11, 1950, 1) + daily("PRCP", 1, 1951, 3) +
                          daily("PRCP", 2, 1951, 4, 77));
  EXPECT_EQ(prep::readit("a").first_month, 11);
  auto recs = read_records("a-fill-prcp.csv");
  ASSERT_EQ(recs.size(), 14u);
  EXPECT_EQ(recs[0], row("    10,PRCP,1950,11,", "    1.00,"));
  EXPECT_EQ(recs[1], gap("    10,PRCP,1950,12,"));
  EXPECT_EQ(recs[2], row("    10,PRCP,1951, 1,", "    3.00,"));
  EXPECT_EQ(recs[3], row("    77,PRCP,1951, 2,", "    4.00,"));
  EXPECT_EQ(recs[4], gap("    77,PRCP,1951, 3,"));

  // A second row for January stops the pointer: every later month is a gap.
  write_file("b.csv", kHeader + daily("PRCP", 1, 1950, 1) + daily("PRCP", 1, 1950, 2) +
                          daily("PRCP", 2, 1950, 3) + daily("PRCP", 3, 1950, 4));
  prep::readit("b");
  recs = read_records("b-fill-prcp.csv");
  ASSERT_EQ(recs.size(), 12u);
  for (std::size_t i = 1; i < 12; ++i) EXPECT_EQ(recs[i].substr(20, 9), "  -99.90,") << i;
}

TEST(FillFile, SpanEndsAtTheLastRecordReadWhateverItsElement) {
  testing_support::TempDir dir;
  write_file("a.csv", kHeader + daily("PRCP", 1, 1950) + daily("XXXX", 5, 1950) +
                          daily("TMAX", 3, 1951, 40));
  const prep::DataSpan a = prep::readit("a");
  EXPECT_EQ(a.last_year * 100 + a.last_month, 195103);
  EXPECT_EQ(read_records("a-fill-prcp.csv").size(), 24u);

  // No PRCP record at all: every month is a gap with the first record's station.
  write_file("c.csv", kHeader + daily("TMAX", 10, 1950, 30, 123) + daily("TMIN", 2, 1951, 30, 4));
  prep::readit("c");
  const auto c = read_records("c-fill-prcp.csv");
  ASSERT_EQ(c.size(), 15u);
  EXPECT_EQ(c[0], gap("   123,PRCP,1950,10,"));
  EXPECT_EQ(c[14], gap("   123,PRCP,1951,12,"));
}

TEST(DailyReading, IgnoresRecordsBeyondTenThousand) {
  testing_support::TempDir dir;
  // Five elements a month from January 1800: record 10000 is the TMIN of
  // August 1966, and the PRCP of September 1966 after it is never read.
  std::string text = kHeader;
  for (int i = 0; i < 2001; ++i) {
    for (const char* e : {"PRCP", "SNOW", "SNWD", "TMAX", "TMIN"}) {
      text += daily(e, i % 12 + 1, 1800 + i / 12);
    }
  }
  write_file("a.csv", text);
  const prep::DataSpan span = prep::readit("a");
  EXPECT_EQ(span.last_year * 100 + span.last_month, 196608);
  const auto recs = read_records("a-fill-prcp.csv");
  ASSERT_EQ(recs.size(), 167u * 12u);
  EXPECT_EQ(recs[recs.size() - 5], row("    10,PRCP,1966, 8,", "    5.00,"));
  EXPECT_EQ(recs[recs.size() - 4], gap("    10,PRCP,1966, 9,"));
}

TEST(DailyReading, FailuresEndTheProgramBeforeTheFillFileIsWritten) {
  testing_support::TempDir dir;
  // No file (and none is created), a header alone, an unreadable first record.
  EXPECT_THROW(prep::readit("a"), records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("a.csv"));
  write_file("b.csv", kHeader);
  EXPECT_THROW(prep::readit("b"), records::FatalError);
  write_file("c.csv", kHeader + "10,44.9,-93.2,120,PRCP,x,1950\r\n");
  EXPECT_THROW(prep::readit("c"), records::FatalError);

  // January 1950 to December 2365 walks 4992 months; to 2366, 5004: refused,
  // as is a corrupt year that would make the walk endless.
  write_file("d.csv", kHeader + daily("PRCP", 1, 1950) + daily("TMAX", 1, 2365));
  prep::readit("d");
  EXPECT_EQ(read_records("d-fill-prcp.csv").size(), 4992u);
  write_file("e.csv", kHeader + daily("PRCP", 1, 1950) + daily("TMAX", 1, 2366));
  EXPECT_THROW(prep::readit("e"), records::FatalError);
  write_file("f.csv", kHeader + daily("PRCP", 1, -2000000000) + daily("TMAX", 1, 2000000000));
  EXPECT_THROW(prep::readit("f"), records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("e-fill-prcp.csv") ||
               std::filesystem::exists("f-fill-prcp.csv"));

  // A first month past December walks no month of its first year but every
  // month of the later ones: January 1950 to December 2366 stays refused.
  write_file("g.csv", kHeader + daily("PRCP", 20, 1949) + daily("TMAX", 1, 2366));
  EXPECT_THROW(prep::readit("g"), records::FatalError);
  EXPECT_FALSE(std::filesystem::exists("g-fill-prcp.csv"));
}
