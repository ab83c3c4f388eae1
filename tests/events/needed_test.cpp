// The precipitation needed to end a drought, against an independent
// computation of the inverse distribution (tests/events/needed_reference.py).
#include "events/needed.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "events/csv_rows.h"
#include "support/tempdir.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

namespace fs = std::filesystem;
const fs::path kData = fs::path(DROUGHT_TEST_DATA_DIR) / "events" / "data";

// NEED01 in a fresh directory: 15 years to September 2015. The observed SPI-3
// at September 2015 is -1.20, its SPI-6 -0.50 (above the start: no rows); the
// interpolated table has a wet August and September and an SPI-3 of -1.00.
void copy_station() {
  for (const char* f :
       {"NEED01-spiformat.csv", "NEED01-spi-interpolated.csv", "NEED01-spi-results.csv"})
    fs::copy_file(kData / f, f);
}

}  // namespace

TEST(NeededPrecipitation, InverseOfTheFittedDistributionAndAlreadyReached) {
  TempDir dir;
  copy_station();
  events::needed("NEED01", catalogue::Choices{}, catalogue::kAllYears);
  // series, horizon, target, month, then R (inches), percent of normal and
  // probability of the reference computation (40 digits, shape solved exactly).
  struct Expected {
    const char* series;
    const char* horizon;
    const char* target;
    const char* month;
    double inches, percent, probability;
  } expected[] = {
      {"observed", "1", "-1.0", "2015-10", 0.0, 0.0, 1.0},  // reached by August and September
      {"observed", "1", "0.0", "2015-10", 0.19621089, 11.51762, 0.85714285},
      {"observed", "2", "-1.0", "2015-11", 3.0036206, 60.530717, 0.75693109},
      {"observed", "2", "0.0", "2015-11", 4.847784, 97.695373, 0.38627083},
      {"observed", "3", "-1.0", "2015-12", 4.4574344, 65.626335, 0.84134475},
      {"observed", "3", "0.0", "2015-12", 6.0059468, 88.424919, 0.5},
      {"interpolated", "1", "-1.0", "2015-10", 0.0, 0.0, 1.0},
      {"interpolated", "1", "0.0", "2015-10", 0.0, 0.0, 1.0},
      {"interpolated", "2", "-1.0", "2015-11", 0.0, 0.0, 1.0},
      {"interpolated", "2", "0.0", "2015-11", 0.0, 0.0, 1.0},
      {"interpolated", "3", "-1.0", "2015-12", 4.4574344, 65.626335, 0.84134475},
      {"interpolated", "3", "0.0", "2015-12", 6.0059468, 88.424919, 0.5},
  };
  const auto rows = events_testing::csv_rows(read_file("NEED01-needed.csv"));
  ASSERT_EQ(rows.size(), std::size(expected) + 1);
  EXPECT_EQ(rows[0][0], "station");
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const auto& r = rows[i + 1];
    const Expected& e = expected[i];
    ASSERT_EQ(r.size(), 10u);
    EXPECT_EQ(r[0] + r[1] + r[2] + r[3] + r[4] + r[5],
              std::string("NEED01") + e.series + "3" + e.horizon + e.target + e.month);
    // The file's decimals, with the inverse found to better than 0.001 inch.
    EXPECT_NEAR(std::stod(r[6]), e.inches, 0.006) << i;
    EXPECT_NEAR(std::stod(r[7]), e.inches * 25.4, 0.06) << i;
    EXPECT_NEAR(std::stod(r[8]), e.percent, 0.06) << i;
    EXPECT_NEAR(std::stod(r[9]), e.probability, 0.0006) << i;
  }
  EXPECT_EQ(rows[1][6] + rows[1][7] + rows[1][8] + rows[1][9], "0.000.00.01.000");
}

// Octobers without precipitation but the first: the 1-month fit of October
// fails (one positive sum), so those rows have R and percent but no
// probability; the station not in drought gets the header alone.
TEST(NeededPrecipitation, FailedFitsAndNoDrought) {
  TempDir dir;
  copy_station();
  std::string table = read_file("NEED01-spiformat.csv");
  constexpr std::size_t kRecord = 108 + 2, kOctober = 12 + 9 * 8;                   // with CR LF
  for (std::size_t line = kRecord; line + kRecord < table.size(); line += kRecord)  // 2002-14
    table.replace(line + kOctober, 7, "      0");
  write_file("NEED01-spiformat.csv", table);
  fs::remove("NEED01-spi-interpolated.csv");
  events::needed("NEED01", catalogue::Choices{}, catalogue::kAllYears);
  const auto rows = events_testing::csv_rows(read_file("NEED01-needed.csv"));
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_NE(rows[2][6], "");
  EXPECT_NE(rows[2][8], "");
  EXPECT_EQ(rows[2][9], "");
  EXPECT_NE(rows[3][9], "");  // November's 2-month fit holds the Novembers

  catalogue::Choices deeper;
  deeper.event_start = -1.5;
  events::needed("NEED01", deeper, catalogue::kAllYears);
  EXPECT_EQ(read_file("NEED01-needed.csv"),
            "station,series,period,horizon,target,month,inches,mm,percent_of_normal,"
            "probability\n");
}
