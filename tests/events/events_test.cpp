#include "events/events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "events/monthly_file.h"
#include "events/runs.h"
#include "support/tempdir.h"

using events::EndedBy;
using events::Event;
using events::find_events;
using events::kNoValue;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

constexpr int M = kNoValue;
const events::Thresholds kDefaults{};  // -1, 0, 2 months

std::vector<Event> run(const std::vector<int>& hundredths,
                       const events::Thresholds& t = kDefaults) {
  return find_events(hundredths, t);
}

}  // namespace

TEST(EventRuns, AnEventNeedsTheMinimumRunAtOrBelowTheStart) {
  EXPECT_TRUE(run({50, -150, -50, -300, 20}).empty());  // runs of one month
  EXPECT_TRUE(run({-99, -150, 10}).empty());            // -0.99 is above -1
  EXPECT_EQ(run({-100, -100, 10}).size(), 1u);          // -1.00 is at the threshold
  EXPECT_TRUE(run({-150, -150, 10}, {-1.0, 0.0, 3}).empty());
  EXPECT_EQ(run({-150, -150, -150, 10}, {-1.0, 0.0, 3}).size(), 1u);
  EXPECT_TRUE(run({-150, M, -150, 10}).empty());  // a run cannot hold a missing month
  EXPECT_TRUE(run({-150}).empty());               // a run cut by the end of data
}

TEST(EventRuns, RecoveryAboveTheEndEndsTheEventAndIsNotPartOfIt) {
  const auto e = run({50, -100, -120, -50, 0, 30, -200, -110, 1});
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].first, 1u);
  EXPECT_EQ(e[0].last, 4u);  // 0.00 is not above 0: still inside
  EXPECT_EQ(e[0].ended_by, EndedBy::Recovery);
  EXPECT_EQ(e[0].severity, 270);  // -(-1.00 - 1.20 - 0.50 + 0.00)
  EXPECT_EQ(e[0].peak, -120);
  EXPECT_EQ(e[0].peak_month, 2u);
  EXPECT_EQ(e[1].first, 6u);
  EXPECT_EQ(e[1].last, 7u);
  EXPECT_EQ(e[1].severity, 310);
}

TEST(EventRuns, MissingMonthsEndAnEventUnlessTheyRunToTheEnd) {
  const auto e = run({-150, -150, M, -200, -200, -30, M, M});
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].last, 1u);
  EXPECT_EQ(e[0].ended_by, EndedBy::Missing);
  EXPECT_EQ(e[1].first, 3u);
  EXPECT_EQ(e[1].last, 5u);  // the last value: the months after it are the end of data
  EXPECT_EQ(e[1].ended_by, EndedBy::EndOfData);
}

TEST(EventRuns, PeakIsTheFirstLowestValue) {
  const auto e = run({-150, -250, -120, -250, 10});
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].peak, -250);
  EXPECT_EQ(e[0].peak_month, 1u);
  EXPECT_EQ(e[0].severity, 770);
}

TEST(EventThresholds, PalmerDefaultsUnlessGiven) {
  catalogue::Choices c;
  EXPECT_EQ(events::palmer_thresholds(c).start, -2.0);
  EXPECT_EQ(events::palmer_thresholds(c).end, -0.5);
  EXPECT_EQ(events::spi_thresholds(c).start, -1.0);
  c.event_start = -1.5;
  c.event_min = 4;
  EXPECT_EQ(events::palmer_thresholds(c).start, -1.5);
  EXPECT_EQ(events::palmer_thresholds(c).end, -0.5);
  EXPECT_EQ(events::palmer_thresholds(c).min_months, 4);
}

// The stage on small files of each input's shape: the table's columns, order,
// ends of events and LF line ends; a file that is missing (SPEI) gives no rows.
TEST(EventsStage, TableOfEveryIndexFile) {
  TempDir dir;
  std::string spi;
  const char* observed3[] = {"  0.50", " -1.00", " -1.30", "  0.20", " -1.10", " -1.10"};
  for (int m = 1; m <= 6; ++m) {
    spi += "2001," + std::string(m < 10 ? " " : "") + std::to_string(m) + ",";
    for (int c = 0; c < 14; ++c)
      spi += c == 2 ? std::string(" ") + observed3[m - 1] + "," : " -99.00,";
    spi += "\r\n";
  }
  write_file("AB 1  -spi-results.csv", spi);
  write_file("AB 1  -palmer.csv",
             "YEAR,MO,Z,PDSI,PHDI,PMDI,X1,X2,X3,PE\r\n"
             "1999,11,-1,-1.50,0,0,0,0,0,0\r\n1999,12,-1,-2.00,0,0,0,0,0,0\r\n"
             "2000,1,-1,-2.50,0,0,0,0,0,0\r\n2000,2,-1,-0.50,0,0,0,0,0,0\r\n"
             "2000,3,-1,-0.40,0,0,0,0,0,0\r\n");
  write_file("AB 1  -EDI.csv",
             " YEAR,MO,EP,DEP,SEP,PRN,EDI\r\n2010, 1,1,1,1,1,  -1.20,\r\n"
             "2010, 2,1,1,1,1,  -1.40,\r\n2010, 3,1,1,1,1,     NaN,\r\n"
             "2010, 4,1,1,1,1,   0.50,\r\n\r\n");
  events::events("AB 1  ", catalogue::Choices{});
  EXPECT_EQ(read_file("AB 1  -events.csv"),
            "station,index,period,series,event,start,end,duration,severity,intensity,peak,"
            "peak_month,ongoing,ended_by\n"
            "AB 1,spi,3,observed,1,2001-02,2001-03,2,2.30,1.15,-1.30,2001-03,no,recovery\n"
            "AB 1,spi,3,observed,2,2001-05,,2,2.20,1.10,-1.10,2001-05,yes,end of data\n"
            "AB 1,pdsi,1,observed,1,1999-12,2000-02,3,5.00,1.67,-2.50,2000-01,no,recovery\n"
            "AB 1,edi,1,observed,1,2010-01,2010-02,2,2.60,1.30,-1.40,2010-02,no,missing\n");
}
