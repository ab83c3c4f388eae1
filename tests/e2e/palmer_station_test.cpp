// The Palmer and event files of a long generated station with --extended: the
// bundled 60-year station 100113 (made by tools/make-stations), whose daily
// file lacks every record of three months.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

using Fields = std::vector<std::string>;

// The comma-separated fields of each record after the header, blanks trimmed
// (records end with CR LF or, in the tidy tables, LF).
std::vector<Fields> table(const std::string& name) {
  std::vector<Fields> rows;
  std::istringstream lines(testing_support::read_file(name));
  std::string record;
  std::getline(lines, record);
  while (std::getline(lines, record)) {
    if (record.ends_with('\r')) record.pop_back();
    Fields f;
    std::istringstream in(record);
    for (std::string field; std::getline(in, field, ',');) {
      const auto a = field.find_first_not_of(' ');
      f.push_back(a == std::string::npos ? "" : field.substr(a));
    }
    rows.push_back(f);
  }
  return rows;
}

// Months since January of year 0 of a YYYY-MM field.
int month_number(const std::string& field) {
  return std::stoi(field.substr(0, 4)) * 12 + std::stoi(field.substr(5, 2)) - 1;
}

// The events of every series lie inside the data, are numbered in order and
// never overlap; only the last of a series may be ongoing; their columns
// agree with each other.
void expect_consistent_events(const std::vector<Fields>& events) {
  const int first = 1961 * 12, last = 2020 * 12 + 11;
  std::map<std::string, int> number, end_of_previous;
  std::map<std::string, bool> ongoing_seen;
  for (const Fields& f : events) {
    ASSERT_EQ(f.size(), 14u);
    const std::string series = f[1] + "-" + f[2] + "-" + f[3];
    SCOPED_TRACE(series + " event " + f[4]);
    const int start = month_number(f[5]), duration = std::stoi(f[7]);
    const int end = start + duration - 1, peak = month_number(f[11]);
    const bool ongoing = f[12] == "yes";
    if (!ongoing) {
      EXPECT_EQ(month_number(f[6]), end);
    }
    EXPECT_EQ(std::stoi(f[4]), ++number[series]);
    EXPECT_GT(start, end_of_previous.count(series) ? end_of_previous[series] : first - 1);
    EXPECT_LE(end, last);
    EXPECT_TRUE(peak >= start && peak <= end);
    EXPECT_NEAR(std::stod(f[9]), std::stod(f[8]) / duration, 0.0051);
    EXPECT_EQ(ongoing, f[13] == "end of data");
    EXPECT_FALSE(ongoing_seen[series]);
    ongoing_seen[series] = ongoing;
    end_of_previous[series] = end;
  }
  EXPECT_EQ(number.count("spi-3-observed"), 1u);
  EXPECT_EQ(number.count("edi-1-interpolated"), 1u);
}

}  // namespace

TEST(PalmerStation, EveryMonthInItsPlacePhdiIsPdsiOutsideEndingAttemptsEventsApart) {
  testing_support::TempDir dir;
  const fs::path examples = fs::path(DROUGHT_SOURCE_DIR) / "examples";
  for (const char* name : {"100113.csv", "100113_PRCP.csv"}) fs::copy(examples / name, name);
  const auto run = testing_support::run_drought(dir.path(), "100113\nexit\n", "--extended");
  ASSERT_EQ(run.status, 0) << run.err;

  const std::vector<Fields> pdsi = table("100113-pdsi.csv");
  const std::vector<Fields> palmer = table("100113-palmer.csv");
  const std::vector<Fields> balance = table("100113-water-balance.csv");
  ASSERT_EQ(pdsi.size(), 60u * 12u);  // 1961 to 2020, December included
  ASSERT_EQ(palmer.size(), pdsi.size());
  ASSERT_EQ(balance.size(), pdsi.size());

  const std::set<std::string> gaps{"1976 7", "1991 5", "2006 3"};
  int attempts = 0;
  for (std::size_t k = 0; k < pdsi.size(); ++k) {
    const std::string year = std::to_string(1961 + k / 12), month = std::to_string(k % 12 + 1);
    SCOPED_TRACE(year + "/" + month);
    for (const Fields* f : {&pdsi[k], &palmer[k], &balance[k]}) {
      ASSERT_GE(f->size(), 4u);
      EXPECT_EQ((*f)[0] + " " + (*f)[1], year + " " + month);
    }
    const bool gap = gaps.count(year + " " + month) > 0;
    EXPECT_EQ(pdsi[k][2] == "-99.00", gap);
    EXPECT_EQ(balance[k][2] == "-9999.00", gap);
    EXPECT_EQ(palmer[k][2], pdsi[k][2]);  // Z, as read
    EXPECT_EQ(balance[k][10], gap ? "-9999.00" : pdsi[k][2]);
    // PHDI is PDSI except in the months of an ending attempt.
    const std::string& pe = palmer[k][9];
    if (pe == "0.00" || pe == "100.00" || gap) {
      EXPECT_EQ(palmer[k][4], palmer[k][3]);
    } else {
      ++attempts;
    }
  }
  EXPECT_GT(attempts, 100);
  expect_consistent_events(table("100113-events.csv"));

  // The run names its options; a plain run afterwards removes every file of
  // the extended indices and the note, so no page mixes the two runs.
  EXPECT_EQ(testing_support::read_file("100113-options.txt"), "--extended\r\n");
  ASSERT_EQ(testing_support::run_drought(dir.path(), "", "-q 100113").status, 0);
  for (const char* name : {"100113-water-balance.csv", "100113-palmer.csv", "100113-spei.csv",
                           "100113-events.csv", "100113-needed.csv", "100113-options.txt"})
    EXPECT_FALSE(fs::exists(name)) << name;
}
