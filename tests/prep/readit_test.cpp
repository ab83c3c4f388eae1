#include "prep/readit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "records/fatal.h"
#include "support/tempdir.h"

namespace {

// A daily record whose day 1 holds `first` and days 2 to 31 hold 0.
std::string daily(const char* element, int month, int year, int first = 5, int station = 10) {
  std::string s = std::to_string(station) + ",44.9,-93.2,120," + element + "," +
                  std::to_string(month) + "," + std::to_string(year) + "," + std::to_string(first);
  for (int d = 2; d <= 31; ++d) s += ",0";
  return s + "\r\n";
}

// An expected fill record: day 1 `first` and 0.00 after it, or a gap record.
std::string row(int station, int year, int month, const char* first = nullptr) {
  char s[32];
  std::snprintf(s, sizeof s, "%6d,PRCP,%4d,%2d,", station, year, month);
  std::string r = s;
  for (int d = 1; d <= 31; ++d) r += !first ? "  -99.90," : d == 1 ? first : "    0.00,";
  return r;
}

// Reads a daily file of a header and `text`; returns the fill records.
std::vector<std::string> fill(const std::string& id, const std::string& text,
                              prep::DataSpan* span = nullptr) {
  testing_support::write_file(id + ".csv", "STATION,LAT,LON,ELEV,ELEMENT,MONTH,YEAR,D1\r\n" + text);
  const prep::DataSpan s = prep::readit(id);
  if (span) *span = s;
  return testing_support::read_records(id + "-fill-prcp.csv");
}

}  // namespace

TEST(FillFile, OneRecordPerMonthToDecemberOfTheLastYear) {
  testing_support::TempDir dir;
  // PRCP January 1950 to March 1952 between TMAX records; a last TMAX ends the span.
  std::string text;
  for (int i = 0; i < 27; ++i) {
    text += daily("PRCP", i % 12 + 1, 1950 + i / 12, i == 1 ? -999 : 100 + i) +
            daily("TMAX", i % 12 + 1, 1950 + i / 12, 40);
  }
  prep::DataSpan span;
  const auto recs = fill("000010", text + daily("TMAX", 6, 1952), &span);
  EXPECT_EQ(std::vector<int>({span.first_year, span.first_month, span.last_year, span.last_month}),
            std::vector<int>({1950, 1, 1952, 6}));
  ASSERT_EQ(recs.size(), 36u);  // 27 copied rows, 9 gap records
  for (const auto& rec : recs) EXPECT_EQ(rec.size(), 299u);
  EXPECT_EQ(recs[0], row(10, 1950, 1, "  100.00,"));
  EXPECT_EQ(recs[1], row(10, 1950, 2, " -999.00,"));
  EXPECT_EQ(recs[26], row(10, 1952, 3, "  126.00,"));
  for (int m = 4; m <= 12; ++m) EXPECT_EQ(recs[static_cast<std::size_t>(m + 23)], row(10, 1952, m));
}

TEST(FillFile, RowsAreMatchedToTheirMonthsUntilOneIsOutOfOrder) {
  testing_support::TempDir dir;
  // A missing December: one gap record with the station of the row at the
  // pointer, later rows still matched; past the last row gaps take its station.
  auto f = fill(
      "a", daily("PRCP", 11, 1950, 1) + daily("PRCP", 1, 1951, 3) + daily("PRCP", 2, 1951, 4, 77));
  ASSERT_EQ(f.size(), 14u);
  EXPECT_EQ(std::vector<std::string>(f.begin(), f.begin() + 5),
            (std::vector<std::string>{row(10, 1950, 11, "    1.00,"), row(10, 1950, 12),
                                      row(10, 1951, 1, "    3.00,"), row(77, 1951, 2, "    4.00,"),
                                      row(77, 1951, 3)}));
  // A second row for January stops the pointer: every later month is a gap.
  f = fill("b", daily("PRCP", 1, 1950, 1) + daily("PRCP", 1, 1950, 2) + daily("PRCP", 2, 1950, 3));
  ASSERT_EQ(f.size(), 12u);
  for (int m = 2; m <= 12; ++m) EXPECT_EQ(f[static_cast<std::size_t>(m - 1)], row(10, 1950, m));
  // No PRCP record: every month is a gap with the first record's station.
  f = fill("c", daily("TMAX", 10, 1950, 30, 123) + daily("TMIN", 2, 1951, 30, 4));
  ASSERT_EQ(f.size(), 15u);
  EXPECT_EQ(f[0], row(123, 1950, 10));
  EXPECT_EQ(f[14], row(123, 1951, 12));
}

TEST(FillFile, RecordsBeyondTenThousandAreIgnored) {
  testing_support::TempDir dir;
  // Five elements a month from January 1800: record 10000 is the TMIN of
  // August 1966, and the PRCP of September 1966 after it is never read.
  std::string text;
  for (int i = 0; i < 2001; ++i) {
    for (const char* e : {"PRCP", "SNOW", "SNWD", "TMAX", "TMIN"}) {
      text += daily(e, i % 12 + 1, 1800 + i / 12);
    }
  }
  prep::DataSpan span;
  const auto recs = fill("a", text, &span);
  EXPECT_EQ(span.last_year * 100 + span.last_month, 196608);
  ASSERT_EQ(recs.size(), 167u * 12u);
  EXPECT_EQ(recs[recs.size() - 4], row(10, 1966, 9));
}

TEST(FillFile, TheMonthWalkIsLimitedTo5000Months) {
  testing_support::TempDir dir;
  // May 1950 to December 2366 is 5000 months: accepted.
  EXPECT_EQ(fill("a", daily("PRCP", 5, 1950) + daily("TMAX", 1, 2366)).size(), 5000u);
  // From April 1950, 5001 months; a corrupt year that would make the walk
  // endless; a first month past December, which still walks every month of
  // the later years: refused before the fill file is written.
  const std::string refused[] = {daily("PRCP", 4, 1950) + daily("TMAX", 1, 2366),
                                 daily("PRCP", 1, -2000000000) + daily("TMAX", 1, 2000000000),
                                 daily("PRCP", 20, 1949) + daily("TMAX", 1, 2366)};
  for (std::size_t i = 0; i < std::size(refused); ++i) {
    const std::string id = "b" + std::to_string(i);
    EXPECT_THROW(fill(id, refused[i]), records::FatalError) << i;
    EXPECT_FALSE(std::filesystem::exists(id + "-fill-prcp.csv")) << i;
  }
  // A span without a month to walk empties an earlier run's fill file.
  testing_support::write_file("c-fill-prcp.csv", row(10, 1950, 1) + "\r\n");
  EXPECT_TRUE(fill("c", daily("PRCP", 1, 1951) + daily("TMAX", 1, 1950)).empty());
}
