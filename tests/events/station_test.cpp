// A generated 60-year station (examples/100113, 1961-2020) run with
// --extended: the events of every series lie inside the data and never
// overlap, and their columns agree with each other.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "events/csv_rows.h"
#include "support/run_program.h"
#include "support/tempdir.h"

using testing_support::read_file;
using testing_support::run_drought;
using testing_support::TempDir;

namespace {

namespace fs = std::filesystem;

// Months since January of year 0 of a YYYY-MM field.
int month_number(const std::string& field) {
  return std::stoi(field.substr(0, 4)) * 12 + std::stoi(field.substr(5, 2)) - 1;
}

struct Row {
  int number, start, end, duration, peak_month;
  double severity, intensity;
  bool ongoing;
  std::string ended_by;
};

}  // namespace

TEST(EventsOfAGeneratedStation, InsideTheSeriesAndNeverOverlapping) {
  TempDir dir;
  const fs::path examples = fs::path(DROUGHT_SOURCE_DIR) / "examples";
  for (const char* f : {"100113.csv", "100113_PRCP.csv"}) fs::copy_file(examples / f, f);
  ASSERT_EQ(run_drought(dir.path(), "", "-q -x 100113").status, 0);

  std::map<std::tuple<std::string, std::string, std::string>, std::vector<Row>> series;
  const auto rows = events_testing::csv_rows(read_file("100113-events.csv"));
  ASSERT_FALSE(rows.empty());
  ASSERT_EQ(rows[0][1], "index");
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const auto& f = rows[i];
    ASSERT_EQ(f.size(), 14u) << i;
    const bool ongoing = f[12] == "yes";
    series[{f[1], f[2], f[3]}].push_back(
        {std::stoi(f[4]), month_number(f[5]), ongoing ? -1 : month_number(f[6]), std::stoi(f[7]),
         month_number(f[11]), std::stod(f[8]), std::stod(f[9]), ongoing, f[13]});
  }
  EXPECT_EQ(series.count({"spi", "3", "observed"}), 1u);
  EXPECT_EQ(series.count({"edi", "1", "interpolated"}), 1u);
  const int first = 1961 * 12, last = 2020 * 12 + 11;
  for (const auto& [key, events] : series) {
    const std::string name = std::get<0>(key) + std::get<1>(key) + std::get<2>(key);
    int previous_end = first - 1;
    for (std::size_t i = 0; i < events.size(); ++i) {
      const Row& e = events[i];
      const int end = e.ongoing ? e.start + e.duration - 1 : e.end;
      EXPECT_EQ(e.number, static_cast<int>(i) + 1) << name;
      EXPECT_GT(e.start, previous_end) << name << " event " << e.number;
      EXPECT_LE(end, last) << name << " event " << e.number;
      EXPECT_EQ(end - e.start + 1, e.duration) << name << " event " << e.number;
      EXPECT_TRUE(e.peak_month >= e.start && e.peak_month <= end) << name;
      EXPECT_NEAR(e.intensity, e.severity / e.duration, 0.0051) << name;
      EXPECT_EQ(e.ongoing, e.ended_by == "end of data") << name;
      EXPECT_TRUE(!e.ongoing || i + 1 == events.size()) << name;
      previous_end = end;
    }
  }
}
